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
        bool atLaunch;
        const char *country, *users, *purpose;
        bool launched;
        std::vector<std::string> extra;
    } cases[] = {
        {0.0f, false, "", "", "", false, {}},
        {1600.0f, false, "USA", "Government", "Navigation", true,
         {"Mass:    1600.00kg", "---", "Country: USA", launch, "Use:     Government / Navigation"}},
        {2894.0f, true, "", "", "Communications", true,
         {"Mass:    2894.00kg at launch", "---", launch, "Use:     Communications"}},
        {-5.0f, false, "Japan", "Civil", "", false, {"---", "Country: Japan", "Use:     Civil"}},
        {0.0f, false, "", "Civil", "", false, {}}};  // a use only beside a country or launch
    for (const Case& c : cases) {
        s.mass = c.mass;
        s.massAtLaunch = c.atLaunch;
        s.country = c.country;
        s.users = c.users;
        s.purpose = c.purpose;
        s.launchDate.reset();
        if (c.launched) s.launchDate = boost::gregorian::date(1974, 11, 15);
        std::vector<std::string> expected = orbit;
        expected.insert(expected.end(), c.extra.begin(), c.extra.end());
        EXPECT_EQ(texts(s), expected) << c.country << c.mass;
    }
    EXPECT_EQ(texts(s, true), std::vector<std::string>{"ISS %s"});
}

}  // namespace
}  // namespace earth
