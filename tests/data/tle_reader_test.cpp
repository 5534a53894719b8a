#include "data/TleReader.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace earth {
namespace {

const std::string issLine1 =
    "1 25544U 98067A   14328.50000000  .00016717  00000-0  10270-3 0  9005";
const std::string issLine2 =
    "2 25544  51.6416 247.4627 0006703 130.5360 325.0288 15.72125391563537";

std::string set(const std::string& name, const std::string& l1 = issLine1,
                const std::string& l2 = issLine2, const char* end = "\r\n") {
    return name + end + l1 + end + l2 + end;
}

std::vector<TleRecord> readAll(const std::string& text) {
    TleReader reader(TextSource{text});
    std::vector<TleRecord> records;
    while (auto record = reader.next()) records.push_back(*record);
    return records;
}

TEST(TleFields, IntegerFieldsTrimAndStopAtTheFirstNonDigit) {
    struct Case {
        const char* line;
        std::size_t begin, end;
        int expected;
    } cases[] = {
        {"1 25544U", 2, 7, 25544},
        {"1   544U", 2, 7, 544},   // leading blanks
        {"xx-12 yy", 2, 5, -12},   // sign
        {"xx+7  yy", 2, 6, 7},
        {"xx12ab", 2, 6, 12},      // trailing text ignored
        {"00057", 3, 5, 57},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseIntField(c.line, c.begin, c.end), c.expected) << c.line;
    }
}

TEST(TleFields, RealFieldsWithAndWithoutImpliedPoint) {
    struct Case {
        const char* text;
        bool implied;
        float expected;
    } cases[] = {
        {" 98.9275", false, 98.9275f},
        {"0022599", true, 0.0022599f},
        {"       ", true, 0.0f},  // "0." converts to zero
        {"9999999", true, 0.9999999f},
        {"1.5e2  ", false, 150.0f},
        {"-12.5xx", false, -12.5f},
        {"14328.50000000", false, 14328.5f},
    };
    for (const auto& c : cases) {
        const std::string line = std::string("#") + c.text + "#";
        EXPECT_FLOAT_EQ(parseFloatField(line, 1, line.size() - 1, c.implied), c.expected)
            << c.text;
    }
}

TEST(TleFields, FailuresOfTheConversions) {
    EXPECT_THROW(parseIntField("1       x", 2, 7), std::invalid_argument);  // blanks
    EXPECT_THROW(parseFloatField("2       ", 1, 8), std::invalid_argument);
    EXPECT_THROW(parseFloatField("2 abc", 1, 5), std::invalid_argument);
    EXPECT_THROW(parseIntField("99999999999", 0, 11), std::out_of_range);
    EXPECT_THROW(parseFloatField("1e400", 0, 5), std::out_of_range);
    EXPECT_THROW(parseFloatField("1e39", 0, 4), std::out_of_range);  // beyond single precision
    // A range that leaves the line is refused instead of read past its end.
    EXPECT_THROW(parseIntField("12", 0, 3), std::runtime_error);
    EXPECT_THROW(parseFloatField("12", 3, 5), std::runtime_error);
    EXPECT_THROW(parseIntField("12", 2, 1), std::runtime_error);
    try {
        parseFloatField("12", 1, 4);
        FAIL() << "no failure";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Unable to parse value");
    }
}

TEST(TleReader, ReadsEveryFieldOfASet) {
    const auto records = readAll(set("ISS (ZARYA)   "));
    ASSERT_EQ(records.size(), 1u);
    const TleRecord& r = records[0];
    EXPECT_EQ(r.name, "ISS (ZARYA)");
    EXPECT_EQ(r.catalogNumber, 25544);
    EXPECT_EQ(r.epochYear, 14);
    EXPECT_FLOAT_EQ(r.epochDay, 328.5f);
    EXPECT_FLOAT_EQ(r.inclination, 51.6416f);
    EXPECT_FLOAT_EQ(r.raan, 247.4627f);
    EXPECT_FLOAT_EQ(r.eccentricity, 0.0006703f);
    EXPECT_FLOAT_EQ(r.argumentOfPerigee, 130.536f);
    EXPECT_FLOAT_EQ(r.meanAnomaly, 325.0288f);
    EXPECT_FLOAT_EQ(r.meanMotion, 15.72125391f);
}

TEST(TleReader, LineEndsAndTrailingTextDoNotMatter) {
    std::string revisedTail = issLine2;
    revisedTail.replace(63, 6, "999999");  // revolution number and checksum
    const std::string texts[] = {
        set("A") + set("B"),                                 // CRLF
        set("A", issLine1, issLine2, "\n") + set("B", issLine1, issLine2, "\n"),  // LF
        set("A", issLine1 + "   ", issLine2 + " \t") + set("B"),  // trailing blanks
        set("A") + "B\r\n" + issLine1 + "\r\n" + issLine2,     // no final line end
        set("A", issLine1, revisedTail) + set("B"),
    };
    for (const std::string& text : texts) {
        const auto records = readAll(text);
        ASSERT_EQ(records.size(), 2u) << text;
        EXPECT_EQ(records[0].name, "A");
        EXPECT_EQ(records[1].name, "B");
        EXPECT_FLOAT_EQ(records[0].meanMotion, 15.72125391f);
    }
}

TEST(TleReader, MalformedSetsFailWithTheirSentence) {
    const std::string shortLine = issLine1.substr(0, 68);
    const std::string longLine = issLine1 + "0";
    std::string blankNumber = issLine1;
    blankNumber.replace(2, 5, "     ");
    // Found by the fuzz test: an exponent slipped into the mean motion.
    std::string hugeMotion = issLine2;
    hugeMotion.replace(52, 11, "15.72125E91");
    std::string blankInclination = issLine2;
    blankInclination.replace(8, 8, "        ");
    struct Case {
        std::string text;
        std::string message;
    } cases[] = {
        {set("A") + "\r\n", "Missing second line in TLE triple"},
        {set("A") + "\r\n\r\n", "Missing third line in TLE triple"},
        {"A\r\n" + issLine1, "Missing third line in TLE triple"},
        {set("A", shortLine), "Malformed Line 1"},
        {set("A", longLine), "Malformed Line 1"},
        {set("A", issLine1, issLine2.substr(0, 68)), "Malformed Line 2"},
        {set("A", issLine1, issLine2 + "9"), "Malformed Line 2"},
        {set("A", shortLine, shortLine), "Malformed Line 1"},  // line 1 is tested first
        {set("A", "", ""), "Malformed Line 1"},
        {set("A", issLine1 + std::string(5000, 'x')), "Malformed Line 1"},
        {set("A", blankNumber), "stoi"},
        {set("A", issLine1, blankInclination), "stod"},
        {set("A", issLine1, hugeMotion), "Value out of range for single precision: 15.72125E91"},
    };
    for (const Case& c : cases) {
        std::string message;
        try {
            readAll(c.text);
        } catch (const std::exception& e) {
            message = e.what();
        }
        EXPECT_EQ(message, c.message) << c.text;
    }
}

TEST(TleReader, ASetBeforeAMalformedOneIsDelivered) {
    TleReader reader(TextSource{set("GOOD") + set("BAD", issLine1.substr(0, 60))});
    const auto first = reader.next();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->name, "GOOD");
    EXPECT_THROW(reader.next(), std::runtime_error);
    EXPECT_FALSE(TleReader(TextSource{""}).next());
}

TEST(TleReader, ReadsAnEmbeddedFileWithASingleOldSetAndFailsForAMissingOne) {
    TleReader reader(60105);
    const auto sputnik = reader.next();
    ASSERT_TRUE(sputnik);
    EXPECT_EQ(sputnik->name, "Sputnik 1");
    EXPECT_EQ(sputnik->catalogNumber, 2);
    EXPECT_EQ(sputnik->epochYear, 57);
    EXPECT_EQ(sputnik->epochDay, 277.80437500f);
    EXPECT_FLOAT_EQ(sputnik->eccentricity, 0.052f);
    EXPECT_FALSE(reader.next());
    EXPECT_FALSE(reader.next());  // the end of the file is sticky
    EXPECT_THROW(TleReader(static_cast<std::uint16_t>(60999)), std::runtime_error);
}

}  // namespace
}  // namespace earth
