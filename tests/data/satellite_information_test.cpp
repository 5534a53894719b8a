#include "data/SatelliteInformation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace earth {
namespace {

Satellite iss() {
    Satellite s;
    s.name = "ISS (ZARYA)";
    s.catalogNumber = 25544;
    s.period = 5554.25f;
    s.eccentricity = 0.0022599f;
    s.inclination = 51.6416f / 180.0f * 3.1415927f;
    s.raan = 247.4627f / 180.0f * 3.1415927f;
    s.apogeeRadius = 6786100.0f;   // 408 km above 6378.1 km
    s.perigeeRadius = 6778350.0f;  // 400.25 km
    return s;
}

std::vector<std::string> texts(const Satellite& s, bool nameOnly = false) {
    std::vector<std::string> lines;
    for (const InformationLine& line : satelliteInformation(s, nameOnly)) {
        lines.push_back(line.separator ? "---" : line.text);
    }
    return lines;
}

const std::vector<std::string> orbitLines = {
    "Name:    ISS (ZARYA)", "---",
    "Apogee:  408.00km",    "Perigee: 400.25km",
    "Inclin.: 51.64deg",    "RAAN:    247.46deg",
    "Eccen.:  0.002260",    "---",
    "Period:  5554.25sec",
};

std::vector<std::string> with(std::vector<std::string> lines,
                              const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

TEST(SatelliteInformation, CatalogueLinesAppearEachOnlyWhenKnown) {
    struct Case {
        float mass;
        bool atLaunch;
        const char* country;
        bool launched;
        const char* users;
        const char* purpose;
        std::vector<std::string> extra;
    } cases[] = {
        {0.0f, false, "", false, "", "", {}},  // no mass, no third separator, no country, no launch
        {1600.0f, false, "USA/Russia", true, "Government", "Navigation",
         {"Mass:    1600.00kg", "---", "Country: USA/Russia", "Launch:  1974-Nov-15",
          "Use:     Government / Navigation"}},
        {2894.0f, true, "", true, "", "Communications",
         {"Mass:    2894.00kg at launch", "---", "Launch:  1974-Nov-15", "Use:     Communications"}},
        {0.0f, false, "Japan", false, "Civil", "", {"---", "Country: Japan", "Use:     Civil"}},
        {-5.0f, false, "", false, "Civil", "", {}},  // use only beside a country or launch
        {12.5f, false, "", false, "", "", {"Mass:    12.50kg"}},
    };
    for (const Case& c : cases) {
        Satellite s = iss();
        s.mass = c.mass;
        s.massAtLaunch = c.atLaunch;
        s.country = c.country;
        s.users = c.users;
        s.purpose = c.purpose;
        if (c.launched) s.launchDate = boost::gregorian::date(1974, 11, 15);
        EXPECT_EQ(texts(s), with(orbitLines, c.extra)) << c.country << c.mass;
    }
}

TEST(SatelliteInformation, CircularOrbitNameOnlyVerbatimNamesAndJoinedText) {
    Satellite s = iss();
    EXPECT_EQ(informationPanelId(s), "25544");
    EXPECT_EQ(satelliteInformationText(s, true), "ISS (ZARYA)");
    EXPECT_EQ(satelliteInformationText(s, false).substr(0, 25), "Name:    ISS (ZARYA)\n---\n");
    s.eccentricity = 0.0f;
    s.perigeeRadius = s.apogeeRadius;
    const auto lines = texts(s);
    EXPECT_EQ(lines[2], "Apogee:  408.00km");
    EXPECT_EQ(lines[3], "Perigee: 408.00km");
    EXPECT_EQ(lines[6], "Eccen.:  0.000000");
    EXPECT_EQ(texts(s, true), std::vector<std::string>{"ISS (ZARYA)"});
    s.name = "100% %s %n DEB";  // no format directives interpreted
    EXPECT_EQ(texts(s, true), std::vector<std::string>{"100% %s %n DEB"});
    EXPECT_EQ(texts(s)[0], "Name:    100% %s %n DEB");
    s.name = std::string(1000, 'N');  // longer than any formatting buffer
    EXPECT_EQ(texts(s)[0], "Name:    " + s.name);
}

}  // namespace
}  // namespace earth
