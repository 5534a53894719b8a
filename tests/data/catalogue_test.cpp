// The catalogue table's reader and the assembly of element sets and table rows.
#include "data/Catalogue.h"

#include "data/CatalogueReader.h"
#include "data/ResourceRegistry.h"

#include <boost/algorithm/string/trim.hpp>
#include <boost/date_time/gregorian/gregorian.hpp>
#include <boost/tokenizer.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>

namespace earth {
namespace {

using boost::gregorian::date;
constexpr std::uint16_t testTable = 60100;  // tests/data/catalogue/satcat.tsv

std::vector<CatalogueRecord> readAll(const std::string& rows) {
    CatalogueReader reader(TextSource{"NORAD-UCS\tcountry\tusers\tpurpose\tclass\ttype\t"
                                      "launch-mass\tdry-mass\tlaunch-date\tname-UCS\r\n" + rows});
    std::vector<CatalogueRecord> records;
    while (auto record = reader.next()) records.push_back(*record);
    return records;
}

// A row with the given fields 0, 1, 7, 8 and 9 (the others are filler).
std::string row(const std::string& number, const std::string& country, const std::string& mass,
                const std::string& launch, const std::string& name) {
    return number + "\t" + country + "\tCivil\tScience\tLEO\t\t100\t" + mass + "\t" + launch +
           "\t" + name + "\r\n";
}

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no failure)";
}

TEST(CatalogueFields, MassesAndLaunchDates) {
    const std::pair<const char*, float> masses[] = {
        {"", 0.0f}, {"29", 29.0f}, {"1,600", 1600.0f}, {"1, 388", 1388.0f},
        {"1,050 (BOL)", 1050.0f}, {"12.5", 12.5f}, {"2,500(EOL)", 2500.0f}};
    for (const auto& [text, kg] : masses) EXPECT_FLOAT_EQ(parseMass(text), kg) << text;
    EXPECT_EQ(parseLaunchDate(" 2/29/2000 "), date(2000, 2, 29));
    EXPECT_FALSE(parseLaunchDate(" \r"));
    const std::pair<std::function<void()>, const char*> failures[] = {
        {[] { parseMass("(BOL)"); }, "stof"},
        {[] { parseMass("nan"); }, "Malformed mass in KG"},
        {[] { parseLaunchDate("1/9"); }, "Invalid launch date"},
        {[] { parseLaunchDate("13/40/1990"); }, "Day of month value is out of range"},
        {[] { parseLaunchDate("65537/1/2000"); }, "Month number is out of range"},  // no wrap
        {[] { parseLaunchDate("1/1/67400"); }, "Year is out of valid range"},
        {[] { parseLaunchDate("1//2000"); }, "stoi"},
        {[] { CatalogueReader(TextSource{""}); }, "Missing header"}};
    for (const auto& [f, text] : failures) EXPECT_NE(messageOf(f).find(text), std::string::npos);
}

TEST(CatalogueReader, RowsQuotingAndFailures) {
    const auto records = readAll(row("7530", " Japan ", "1,600", "11/15/1974", "\"A, B \"") +
                                 row("", "USA", "", "", "no number") +
                                 row("1", "\"A\tB\"", "", "", "say \\\"hi\\\"") + "2\tUSA\r\n");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].catalogNumber, 7530);
    EXPECT_EQ(records[0].country + records[0].users + records[0].purpose, "JapanCivilScience");
    EXPECT_EQ(records[0].mass, 1600.0f);
    EXPECT_TRUE(records[1].mass == 100.0f && records[1].massAtLaunch);  // no dry mass
    EXPECT_EQ(records[0].launchDate, date(1974, 11, 15));
    EXPECT_EQ(records[0].name, "A, B");
    EXPECT_EQ(records[1].country + "|" + records[1].name, "A\tB|say \"hi\"");
    EXPECT_EQ(records[2].country, "USA");  // fewer columns
    EXPECT_EQ(messageOf([] { readAll(row("abc", "USA", "", "", "x")); }), "stoi");
    // A malformed mass in a row without number still stops the table.
    EXPECT_EQ(messageOf([] { readAll(row("", "USA", "nan", "", "x")); }), "Malformed mass in KG");
    EXPECT_NE(messageOf([] { readAll(row("1", "USA", "", "", "x\\")); }), "(no failure)");
}

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
    {"iridium-33-debris", {set(90003, 13, 310.0, "OF 2013"), set(90005, 14, 100, "OF 2014")}},
    {"My-Debris", {set(90009, 14, 1.0, ""), set(90010, 14, 1.0, "")}},
};

TEST(CatalogueAssembly, LatestEpochByFullYearRowsAndNamesWhateverTheFileOrder) {
    const std::vector<ElementCategory> reversed(categories.rbegin(), categories.rend());
    for (const auto* table : {&categories, &reversed}) {
        SCOPED_TRACE(table == &reversed ? "reversed" : "in order");
        std::ostringstream warnings;
        const auto satellites = assembleCatalogue(*table, testTable, warnings);
        EXPECT_EQ(warnings.str(), "Warning: duplicated satellite 7530\n");
        std::vector<std::int32_t> numbers;
        for (const Satellite& s : satellites) numbers.push_back(s.catalogNumber);
        EXPECT_EQ(numbers, (std::vector<std::int32_t>{90001, 90002, 90003, 90005, 90009, 90010}));
        const Satellite cubesat = findSatellite(satellites, 90001);
        EXPECT_EQ(cubesat.name, "NEW");
        EXPECT_EQ(cubesat.categories, (std::vector<std::string>{"amateur", "cubesat"}));
        EXPECT_FALSE(cubesat.isDebris);
        EXPECT_EQ(cubesat.country + " " + std::to_string(cubesat.mass) + " " +
                      boost::gregorian::to_iso_string(*cubesat.launchDate),
                  "USA/Australia 1600.000000 20130401");
        EXPECT_EQ(findSatellite(satellites, 90003).name, "GEO");  // 2014 beats 2013
        EXPECT_TRUE(findSatellite(satellites, 90003).isDebris);
        EXPECT_EQ(findSatellite(satellites, 90005).name, "OF 2014");  // and 1999
        EXPECT_EQ(findSatellite(satellites, 90002).name,              // a tie: the earlier file
                  table == &reversed ? "FROM GEO" : "FROM CUBESAT");
        EXPECT_EQ(findSatellite(satellites, 90009).name, "Without Element Set");  // the table's
        EXPECT_TRUE(findSatellite(satellites, 90009).isDebris);  // the file says "debris"
        EXPECT_EQ(findSatellite(satellites, 90010).name, "NORAD 90010");
        EXPECT_EQ(messageOf([&] { findSatellite(satellites, 7530); }), "Invalid satellite");
    }
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
