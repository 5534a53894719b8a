// The program's own readers over the embedded catalogue (tools/catalogue/check.py checks the
// files' contents): they read every file, and a typical satellite's panel shows its facts.

#include "data/Catalogue.h"
#include "data/SatelliteInformation.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>

namespace earth {
namespace {

TEST(EmbeddedCatalogue, ReadsWithoutWarningsAndFillsTheInformationPanel) {
    std::ostringstream warnings;
    std::streambuf* old = std::cerr.rdbuf(warnings.rdbuf());
    std::vector<Satellite> satellites;
    try {
        satellites = loadSatellites();
    } catch (...) {
        std::cerr.rdbuf(old);
        throw;
    }
    std::cerr.rdbuf(old);
    EXPECT_EQ(warnings.str(), "");

    // GOES 13, a weather satellite the tour shows among the geosynchronous ones: its table row
    // gives owner, users, purpose, dry mass ("1,533") and launch date.
    const std::string text = satelliteInformationText(findSatellite(satellites, 29155), false);
    for (const char* line : {"\nMass:    1533.00kg\n", "\nCountry: USA\n", "\nLaunch:  2006-May-24\n",
                             "\nUse:     Government / Earth Science/Meteorology"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " missing from\n" << text;
    }
    // Sputnik 1, whose row has no mass: country and launch only.
    const std::string sputnik = satelliteInformationText(findSatellite(satellites, 1), false);
    EXPECT_NE(sputnik.find("\nCountry: USSR\nLaunch:  1957-Oct-04"), std::string::npos) << sputnik;
    EXPECT_EQ(sputnik.find("Mass:"), std::string::npos) << sputnik;
}

}  // namespace
}  // namespace earth
