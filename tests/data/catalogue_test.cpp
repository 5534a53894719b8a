#include "data/Catalogue.h"

#include "data/CatalogueReader.h"
#include "data/ResourceRegistry.h"

#include <boost/algorithm/string/trim.hpp>
#include <boost/tokenizer.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <string>

namespace earth {
namespace {

constexpr std::uint16_t testTable = 60100;  // tests/data/catalogue/satcat.tsv

TleRecord set(int number, int year, double day, const std::string& name) {
    TleRecord r = parseElementLines(
        name, "1 25544U 98067A   14328.50000000  .00016717  00000-0  10270-3 0  9005",
        "2 25544  51.6416 247.4627 0006703 130.5360 325.0288 15.72125391563537");
    r.catalogNumber = number;
    r.epochYear = year;
    r.epochDay = day;
    return r;
}

const std::vector<ElementCategory> categories = {
    {"amateur", {set(90001, 14, 328.5, "OLD"), set(90005, 99, 300.0, "OF 1999")}},
    {"cubesat", {set(90001, 14, 329.1, "NEW"), set(90002, 14, 320.25, "FROM CUBESAT")}},
    {"geo", {set(90002, 14, 320.25, "FROM GEO"), set(90003, 14, 310.0, "GEO")}},
    {"iridium-33-debris", {set(90003, 13, 310.0, "DEBRIS OF 2013"), set(90005, 14, 100, "OF 2014")}},
    {"My-Debris", {set(90009, 14, 1.0, ""), set(90010, 14, 1.0, "")}},
};

std::vector<Satellite> load(const std::vector<ElementCategory>& table, std::string* warnings = nullptr) {
    std::ostringstream stream;
    auto satellites = assembleCatalogue(table, testTable, stream);
    if (warnings) *warnings = stream.str();
    return satellites;
}

TEST(CatalogueAssembly, LatestEpochByFullYearWhateverTheFileOrder) {
    const std::vector<ElementCategory> reversed(categories.rbegin(), categories.rend());
    for (const auto* table : {&categories, &reversed}) {
        SCOPED_TRACE(table == &reversed ? "reversed" : "in order");
        const auto satellites = load(*table);
        ASSERT_EQ(satellites.size(), 6u);
        EXPECT_TRUE(std::is_sorted(satellites.begin(), satellites.end(),
                                   [](const auto& a, const auto& b) { return a.catalogNumber < b.catalogNumber; }));
        const Satellite cubesat = findSatellite(satellites, 90001);
        EXPECT_EQ(cubesat.name, "NEW");
        EXPECT_EQ(cubesat.categories, (std::vector<std::string>{"amateur", "cubesat"}));
        EXPECT_FALSE(cubesat.isDebris);
        EXPECT_EQ(findSatellite(satellites, 90003).name, "GEO");       // 2014 beats 2013
        EXPECT_TRUE(findSatellite(satellites, 90003).isDebris);
        EXPECT_EQ(findSatellite(satellites, 90005).name, "OF 2014");   // and 1999
        EXPECT_EQ(findSatellite(satellites, 90002).name,               // a tie: the earlier file
                  table == &reversed ? "FROM GEO" : "FROM CUBESAT");
    }
}

TEST(CatalogueAssembly, CatalogueRowsJoinByNumberAndNameUnnamedSets) {
    std::string warnings;
    const auto satellites = load(categories, &warnings);
    EXPECT_EQ(warnings, "Warning: duplicated satellite 7530\n");
    const Satellite withRow = findSatellite(satellites, 90001);
    EXPECT_EQ(withRow.country, "USA/Australia");
    EXPECT_EQ(withRow.mass, 1600.0f);
    EXPECT_EQ(withRow.launchDate, boost::gregorian::date(2013, 4, 1));
    const Satellite unnamed = findSatellite(satellites, 90009);
    EXPECT_EQ(unnamed.name, "Without Element Set");  // the table's name
    EXPECT_TRUE(unnamed.isDebris);                    // the file says "debris"
    EXPECT_EQ(findSatellite(satellites, 90010).name, "NORAD 90010");
    EXPECT_EQ(findSatellite(satellites, 90005).country, "");
    for (std::int32_t missing : {0, 7530, -1}) {
        try {
            findSatellite(satellites, missing);
            ADD_FAILURE() << missing;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Invalid satellite");
        }
    }
    EXPECT_THROW(loadSatellites({{"missing", 60999}}, testTable, std::cerr), std::runtime_error);
}

// The tour's polar and sun-synchronous groups are the LEO rows of the embedded table of
// those orbit types; they are compiled in, so this catches a table that moved on.
TEST(CatalogueTables, TourListsMatchTheEmbeddedTable) {
    const auto table = findResource("DATA", std::to_string(catalogueResourceId));
    ASSERT_TRUE(table) << "catalogue table (DATA 901) is not embedded";
    std::vector<std::int32_t> polar, sunSynchronous;
    std::istringstream lines{std::string(*table)};
    std::string line;
    std::getline(lines, line);  // header
    using Tokenizer = boost::tokenizer<boost::escaped_list_separator<char>>;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        for (const std::string& field :
             Tokenizer(line, boost::escaped_list_separator<char>('\\', '\t', '"'))) {
            fields.push_back(boost::algorithm::trim_copy(field));
        }
        if (fields.size() < 6 || fields[0].empty() || fields[4] != "LEO") continue;
        if (fields[5] == "Polar") polar.push_back(std::stoi(fields[0]));
        if (fields[5] == "Sun-Synchronous") sunSynchronous.push_back(std::stoi(fields[0]));
    }
    std::sort(polar.begin(), polar.end());
    std::sort(sunSynchronous.begin(), sunSynchronous.end());
    EXPECT_EQ(polarLeoSatellites, polar);
    EXPECT_EQ(sunSynchronousLeoSatellites, sunSynchronous);
}

}  // namespace
}  // namespace earth
