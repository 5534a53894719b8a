#include "data/SatelliteInformation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace earth {
namespace {

std::vector<std::string> texts(const Satellite& s, bool nameOnly = false) {
    std::vector<std::string> lines;
    for (const InformationLine& line : satelliteInformation(s, nameOnly)) {
        lines.push_back(line.separator ? "---" : line.text);
    }
    return lines;
}

TEST(SatelliteInformation, OrbitLinesThenCatalogueLinesOnlyWhenKnown) {
    Satellite s;
    s.name = "ISS %s";  // no format directives interpreted
    s.catalogNumber = 25544;
    s.period = 5554.25f;
    s.eccentricity = 0.0022599f;
    s.inclination = 51.6416f / 180.0f * 3.1415927f;
    s.raan = 247.4627f / 180.0f * 3.1415927f;
    s.apogeeRadius = 6786100.0f;   // 408 km above 6378.1 km
    s.perigeeRadius = 6778350.0f;  // 400.25 km
    const std::vector<std::string> orbit = {
        "Name:    ISS %s", "---", "Apogee:  408.00km", "Perigee: 400.25km", "Inclin.: 51.64deg",
        "RAAN:    247.46deg", "Eccen.:  0.002260", "---", "Period:  5554.25sec"};
    const std::string launch = "Launch:  1974-Nov-15";
    struct Case {
        float mass;
        const char* country;
        bool launched;
        std::vector<std::string> extra;
    } cases[] = {{0.0f, "", false, {}},
                 {1600.0f, "USA", true, {"Mass:    1600.00kg", "---", "Country: USA", launch}},
                 {0.0f, "", true, {"---", launch}},
                 {-5.0f, "Japan", false, {"---", "Country: Japan"}}};
    for (const Case& c : cases) {
        s.mass = c.mass;
        s.country = c.country;
        s.launchDate.reset();
        if (c.launched) s.launchDate = boost::gregorian::date(1974, 11, 15);
        std::vector<std::string> expected = orbit;
        expected.insert(expected.end(), c.extra.begin(), c.extra.end());
        EXPECT_EQ(texts(s), expected) << c.country << c.mass;
    }
    EXPECT_EQ(texts(s, true), std::vector<std::string>{"ISS %s"});
    EXPECT_EQ(informationPanelId(s), "25544");
}

}  // namespace
}  // namespace earth
