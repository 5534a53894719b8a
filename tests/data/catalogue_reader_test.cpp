#include "data/CatalogueReader.h"

#include <boost/date_time/gregorian/gregorian.hpp>
#include <boost/token_functions.hpp>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace earth {
namespace {

using boost::gregorian::date;

const std::string header =
    "NORAD-UCS\tcountry\tusers\tpurpose\tclass\ttype\tlaunch-mass\tdry-mass\tlaunch-date\t"
    "name-UCS\r\n";

std::vector<CatalogueRecord> readAll(const std::string& rows) {
    const std::string text = header + rows;
    CatalogueReader reader(TextSource{text});
    std::vector<CatalogueRecord> records;
    while (auto record = reader.next()) records.push_back(*record);
    return records;
}

std::string messageOf(const std::string& rows) {
    try {
        readAll(rows);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

// A row with the given fields 0, 1, 7, 8 and 9 (the others are filler).
std::string row(const std::string& number, const std::string& country, const std::string& mass,
                const std::string& launch, const std::string& name) {
    return number + "\t" + country + "\tCivil\tScience\tLEO\t\t100\t" + mass + "\t" + launch +
           "\t" + name + "\r\n";
}

TEST(CatalogueMass, DigitGroupsAreJoinedAndRemarksDropped) {
    struct Case {
        const char* text;
        float kg;
    } cases[] = {
        {"", 0.0f},         {"   ", 0.0f},         {"29", 29.0f},
        {"1,600", 1600.0f}, {"1, 388", 1388.0f},   {"1,050 (BOL)", 1050.0f},
        {"12.5", 12.5f},    {"1,234,567", 1234567.0f}, {" 700 ", 700.0f},
        {"1,600 kg", 1600.0f},  // trailing text after the number is ignored
        {"2,500(EOL)", 2500.0f},
        {"0", 0.0f},
    };
    for (const auto& c : cases) EXPECT_FLOAT_EQ(parseMass(c.text), c.kg) << c.text;
}

TEST(CatalogueMass, TextThatIsNoNumberFails) {
    EXPECT_THROW(parseMass("unknown"), std::invalid_argument);
    EXPECT_THROW(parseMass(",600"), std::invalid_argument);
    EXPECT_THROW(parseMass("(BOL)"), std::invalid_argument);  // a remark alone is no number
    EXPECT_THROW(parseMass("1e99"), std::out_of_range);
    for (const char* notFinite : {"nan", "inf", "-INF"}) {
        try {
            parseMass(notFinite);
            ADD_FAILURE() << notFinite;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Malformed mass in KG");
        }
    }
}

TEST(CatalogueLaunchDate, ValidDatesAndFailuresInOrder) {
    EXPECT_EQ(parseLaunchDate("11/15/1974"), date(1974, 11, 15));
    EXPECT_EQ(parseLaunchDate(" 2/29/2000 "), date(2000, 2, 29));
    EXPECT_EQ(parseLaunchDate("01/02/2003"), date(2003, 1, 2));
    EXPECT_EQ(parseLaunchDate("1x/2y/2003z"), date(2003, 1, 2));  // trailing text ignored
    EXPECT_FALSE(parseLaunchDate(""));
    EXPECT_FALSE(parseLaunchDate(" \r"));
    struct Case {
        const char* text;
        const char* message;  // substring of the exception text
    } cases[] = {
        {"1/9/1990/", "Invalid launch date"},
        {"1/9", "Invalid launch date"},
        {"1990", "Invalid launch date"},
        {"2/30/1990", "Day of month is not valid"},
        {"30/1/1990", "Month number is out of range"},
        {"1/32/1990", "Day of month value is out of range"},
        {"1/0/1990", "Day of month value is out of range"},
        {"13/40/1990", "Day of month value is out of range"},  // day before month
        {"13/1/99999", "Month number is out of range"},        // month before year
        {"1/1/1399", "Year is out of valid range"},
        {"1/70000/2000", "Day of month value is out of range"},  // no 16-bit wrap to day 4464
        {"65537/1/2000", "Month number is out of range"},        // nor to month 1
        {"1/1/67400", "Year is out of valid range"},             // nor to year 1864
        {"x/1/2000", "stoi"},
        {"1//2000", "stoi"},
        {"1/1/99999999999", "stoi"},
    };
    for (const auto& c : cases) {
        std::string message = "(no failure)";
        try {
            parseLaunchDate(c.text);
        } catch (const std::exception& e) {
            message = e.what();
        }
        EXPECT_NE(message.find(c.message), std::string::npos) << c.text << ": " << message;
    }
}

TEST(CatalogueReader, ReadsTheFieldsOfARow) {
    const auto records = readAll(
        "7530\tUSA\tCivil\tCommunications\tLEO\tSun-Synchronous\t29\t\t11/15/1974\t"
        "Amsat-Oscar 7 (AO-7)\r\n");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].catalogNumber, 7530);
    EXPECT_EQ(records[0].country, "USA");
    EXPECT_EQ(records[0].users, "Civil");
    EXPECT_EQ(records[0].purpose, "Communications");
    EXPECT_EQ(records[0].mass, 29.0f);  // no dry mass: the launch mass, marked as such
    EXPECT_TRUE(records[0].massAtLaunch);
    EXPECT_EQ(records[0].launchDate, date(1974, 11, 15));
    EXPECT_EQ(records[0].name, "Amsat-Oscar 7 (AO-7)");
}

TEST(CatalogueReader, QuotingEscapesAndTrimming) {
    struct Case {
        std::string line;
        std::string name;
        std::string country;
    } cases[] = {
        {row("1", "USA", "", "", "\"Name, with commas \""), "Name, with commas", "USA"},
        {row("1", "\"A\tB\"", "", "", "x"), "x", "A\tB"},           // quoted tab
        {row("1", " Japan ", "", "", "  spaced  "), "spaced", "Japan"},
        {row("1", "", "", "", "line\\nbreak"), "line\nbreak", ""},  // backslash escape
        {row("1", "", "", "", "say \\\"hi\\\""), "say \"hi\"", ""},
        {row("1", "", "", "", "\xe9t\xe9"), "\xe9t\xe9", ""},        // 8-bit bytes pass
        {"1\tUSA\r\n", "", "USA"},                                   // fewer columns
        {"1\tUSA\t\t\t\t\t\t\t\t\r\n", "", "USA"},                    // ends with a tab
        {row("1", "UK", "", "", "n") .substr(0, row("1", "UK", "", "", "n").size() - 2) +
             "\tcol10\tcol11\r\n",
         "n", "UK"},  // columns beyond the tenth
    };
    for (const Case& c : cases) {
        const auto records = readAll(c.line);
        ASSERT_EQ(records.size(), 1u) << c.line;
        EXPECT_EQ(records[0].name, c.name) << c.line;
        EXPECT_EQ(records[0].country, c.country) << c.line;
    }
}

TEST(CatalogueReader, RowsWithoutNumberAreSkippedAfterAllFieldsAreChecked) {
    const auto records = readAll(row("", "USA", "", "", "no number") +
                                 row("-3", "USA", "", "", "negative") +
                                 row("42", "USA", "1,600", "1/2/2003", "kept"));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].catalogNumber, 42);
    EXPECT_EQ(records[0].mass, 1600.0f);
    // A malformed mass or date in a row without number still stops the table.
    EXPECT_EQ(messageOf(row("", "USA", "nan", "", "x")), "Malformed mass in KG");
    EXPECT_EQ(messageOf(row("", "USA", "", "1/2/3/4", "x")), "Invalid launch date");
}

TEST(CatalogueReader, MalformedRowsFail) {
    EXPECT_EQ(messageOf(row("abc", "USA", "", "", "x")), "stoi");
    EXPECT_EQ(messageOf(row("1", "USA", "heavy", "", "x")), "stof");
    EXPECT_NE(messageOf(row("1", "USA", "", "", "bad \\q escape")), "");
    EXPECT_NE(messageOf(row("1", "USA", "", "", "ends in backslash\\")), "");
    EXPECT_THROW(readAll(row("1", "USA", "", "", "x\\")), boost::escaped_list_error);
}

TEST(CatalogueReader, ReadsTheEmbeddedTablesAndRefusesOnesWithoutHeader) {
    CatalogueReader reader(60100);
    std::vector<CatalogueRecord> records;
    while (auto record = reader.next()) records.push_back(*record);
    ASSERT_EQ(records.size(), 6u);  // the row without number is skipped
    EXPECT_EQ(records[1].name, "CubeSat, Test 1");
    EXPECT_EQ(records[1].country, "USA/Australia");
    EXPECT_EQ(records[1].mass, 1600.0f);
    EXPECT_EQ(records[2].mass, 1388.0f);
    EXPECT_EQ(records[2].name, "Geo, \tTabbed");
    EXPECT_FALSE(records[2].launchDate);
    EXPECT_EQ(records[3].mass, 1050.0f);
    EXPECT_EQ(records[3].country, "");
    EXPECT_EQ(records[5].name, "Without Element Set");

    EXPECT_TRUE(readAll("").empty());
    EXPECT_FALSE(CatalogueReader(60106).next());  // header line only
    try {
        CatalogueReader empty(60107);
        FAIL() << "empty table accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Missing header");
    }
    EXPECT_THROW(CatalogueReader(static_cast<std::uint16_t>(60999)), std::runtime_error);
}

}  // namespace
}  // namespace earth
