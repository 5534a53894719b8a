// The element-set readers: the strict one of the embedded files, and those of the user's
// files in each format, which skip a malformed record with its line and keep the rest.
#include "data/ElementFiles.h"
#include "data/ElementSetReaders.h"
#include "data/UtcInstant.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace earth {
namespace {

const std::string line1 = "1 25544U 98067A   14328.50000000  .00016717  00000-0  10270-3 0  9005";
const std::string line2 = "2 25544  51.6416 247.4627 0006703 130.5360 325.0288 15.72125391563537";

std::string messageOf(const std::string& text) {
    try {
        TleReader reader(TextSource{text});
        while (reader.next()) {}
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

TEST(TleReader, EmbeddedFilesAreStrict) {
    TleReader reader(TextSource{"ISS (ZARYA) \r\n" + line1 + "\r\n" + line2 + " \r\n"});
    const TleRecord r = *reader.next();
    EXPECT_EQ(r.name, "ISS (ZARYA)");
    EXPECT_EQ(r.catalogNumber, 25544);
    EXPECT_EQ(r.epochYear, 14);
    EXPECT_EQ(r.epochDay, 328.5);
    EXPECT_FLOAT_EQ(r.eccentricity, 0.0006703f);
    EXPECT_FLOAT_EQ(r.meanMotion, 15.72125391f);
    EXPECT_FALSE(reader.next());
    const std::pair<std::string, const char*> cases[] = {
        {"A\n", "Missing second line in TLE triple"},
        {"A\n" + line1 + "\n", "Missing third line in TLE triple"},
        {"A\n" + line1.substr(0, 68) + "\n" + line2 + "\n", "Malformed Line 1"},
        {"A\n" + line1 + "\n" + line2 + "9\n", "Malformed Line 2"},
        {"A\n" + line1 + "\n" + line2.substr(0, 52) + "15.72125E91563537\n",
         "Value out of range for single precision: 15.72125E91"},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(messageOf(text), message) << text;
    const TleRecord sputnik = *TleReader(60105).next();  // an embedded resource
    EXPECT_EQ(sputnik.epochYear, 57);
    EXPECT_THROW(TleReader(static_cast<std::uint16_t>(60999)), std::runtime_error);
    std::string alpha5 = line1;
    alpha5.replace(2, 5, "T0042");
    EXPECT_EQ(parseElementLines("", alpha5, line2).catalogNumber, 270042);
}

using Fields = std::vector<std::pair<std::string, std::string>>;
const Fields iss = {{"OBJECT_NAME", "ISS (ZARYA)"},   {"NORAD_CAT_ID", "25544"},
                    {"EPOCH", "2014-11-24T12:00:00.000000"}, {"MEAN_MOTION", "15.72125391"},
                    {"ECCENTRICITY", "0.0006703"},     {"INCLINATION", "51.6416"},
                    {"RA_OF_ASC_NODE", "247.4627"},    {"ARG_OF_PERICENTER", "130.5360"},
                    {"MEAN_ANOMALY", "325.0288"}};

Fields with(const std::string& name, const std::string& value) {
    Fields f = iss;
    for (auto& [key, v] : f) if (key == name) v = value;
    return f;
}

// One record per line, so that record k (from 0) sits on line k + 2 in every format.
std::string csv(const std::vector<Fields>& records) {
    std::string text;
    for (const auto& [key, v] : iss) text += (text.empty() ? "" : ",") + key;
    for (const Fields& r : records) {
        text += "\n";
        for (std::size_t i = 0; i < r.size(); ++i) text += (i ? "," : "") + r[i].second;
    }
    return text + "\n";
}
std::string json(const std::vector<Fields>& records) {
    std::string text = "[";
    for (const Fields& r : records) {
        text += std::string(text.size() > 1 ? "," : "") + "\n{";
        for (std::size_t i = 0; i < r.size(); ++i) {
            const bool quoted = r[i].first == "OBJECT_NAME" || r[i].first == "EPOCH";
            text += (i ? ",\"" : "\"") + r[i].first + "\":" + (quoted ? "\"" : "") + r[i].second +
                    (quoted ? "\"" : "");
        }
        text += "}";
    }
    return text + "\n]";
}
std::string xml(const std::vector<Fields>& records) {
    std::string text = "<ndm>";
    for (const Fields& r : records) {
        text += "\n<omm><body><segment><metadata>";
        for (const auto& [key, v] : r) text += "<" + key + ">" + v + "</" + key + ">";
        text += "</metadata></segment></body></omm>";
    }
    return text + "\n</ndm>\n";
}

struct Case {
    const char* what;
    ElementFormat format;
    std::string text;
    std::vector<std::string> names;                          // of the sets read
    std::vector<std::pair<std::size_t, std::string>> skips;  // line and part of the reason
};

TEST(ElementSetReaders, EveryFormatReadsGoodRecordsAndSkipsBadOnesWithTheirLine) {
    const Case cases[] = {
        {"three-line, two-line and \"0 NAME\" sets", ElementFormat::Tle,
         "ISS (ZARYA)\n" + line1 + "\n" + line2 + "\n\n" + line1 + "\r\n" + line2 + "\r\n0 X\n" +
             line1 + "\n" + line2,
         {"ISS (ZARYA)", "", "X"}, {}},
        {"malformed sets", ElementFormat::Tle,
         "LONE NAME\nSHORT\n" + line1.substr(0, 60) + "\n" + line2 + "\n" + line2 + "\nNO LINE 2\n" +
             line1 + "\nGOOD\n" + line1 + "\n" + line2 + "\nBAD E\n" + line1 + "\n" +
             line2.substr(0, 8) + " xx.xxxx" + line2.substr(16),
         {"GOOD"},
         {{1, "name line without"}, {2, "Malformed Line 1"}, {5, "line 2 without line 1"},
          {6, "line 1 without line 2"}, {11, "not a number"}}},
        {"CSV", ElementFormat::OmmCsv,
         csv({iss, with("MEAN_MOTION", ""), with("EPOCH", "2014-13-01T00:00:00"),
              with("OBJECT_NAME", "\"A, B\""), with("OBJECT_NAME", "\"open"),
              with("ECCENTRICITY", "1.5")}) + "1,2\n",
         {"ISS (ZARYA)", "A, B"},
         {{3, "missing MEAN_MOTION"}, {4, "EPOCH is not a date"}, {6, "not closed"},
          {7, "eccentricity"}, {8, "2 fields where the header has 9"}}},
        {"JSON", ElementFormat::OmmJson,
         json({iss, with("INCLINATION", "\"51.6\""), with("NORAD_CAT_ID", "-4"),
               with("RA_OF_ASC_NODE", "\"x\"")}) + "\n[",
         {"ISS (ZARYA)", "ISS (ZARYA)"},
         {{4, "NORAD_CAT_ID"}, {5, "RA_OF_ASC_NODE is not a number"}, {7, "not valid JSON"}}},
        {"JSON items that are no records", ElementFormat::OmmJson, "[1,\n[2]]", {},
         {{1, "not an object"}, {2, "not an object"}}},
        {"XML", ElementFormat::OmmXml,
         [] {  // the closing tag of the root cut off
             const std::string t = xml({iss, with("MEAN_ANOMALY", ""),
                                        with("EPOCH", "1950-01-01T00:00:00")});
             return t.substr(0, t.size() - 8);
         }(),
         {"ISS (ZARYA)"},
         {{4, "not valid XML"}, {3, "missing MEAN_ANOMALY"}, {4, "outside 1957 to 2056"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ElementSetText read = readElementText(c.format, c.text);
        std::vector<std::string> names;
        for (const TleRecord& r : read.sets) {
            names.push_back(r.name);
            EXPECT_EQ(r.catalogNumber, 25544);
            EXPECT_EQ(r.epochDay, 328.5);
            EXPECT_FLOAT_EQ(r.argumentOfPerigee, 130.536f);
            EXPECT_FLOAT_EQ(r.meanMotion, 15.72125391f);
        }
        EXPECT_EQ(names, c.names);
        ASSERT_EQ(read.skipped.size(), c.skips.size());
        for (std::size_t i = 0; i < c.skips.size(); ++i) {
            EXPECT_EQ(read.skipped[i].line, c.skips[i].first) << read.skipped[i].reason;
            EXPECT_NE(read.skipped[i].reason.find(c.skips[i].second), std::string::npos)
                << read.skipped[i].reason;
        }
        EXPECT_EQ(detectElementFormat(c.text), c.format);
    }
    EXPECT_EQ(detectElementFormat("\xEF\xBB\xBF\n  " + line1 + "\n" + line2), ElementFormat::Tle);
    EXPECT_EQ(detectElementFormat("name,value\n1,2\n"), ElementFormat::Unknown);
    EXPECT_EQ(detectElementFormat(std::string(100000, 'x')), ElementFormat::Unknown);
}

TEST(ElementFiles, NamedAfterTheFileFailuresNameIt) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("elements_test_" + std::to_string(::getpid()));
    fs::create_directories(dir / "folder");
    const auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    };
    std::string bad;
    for (int i = 0; i < 25; ++i) bad += "NAME " + std::to_string(i) + "\n";
    const std::string good = write("folder/b-debris.json", json({iss}));
    write("folder/a.csv", csv({iss}) + bad);
    write("folder/.hidden", "x");
    std::ostringstream err;
    const ElementCategory category = readElementFile(dir.string() + "/folder/a.csv", err);
    EXPECT_EQ(category.name, "a");
    EXPECT_EQ(category.sets.size(), 1u);
    EXPECT_NE(err.str().find("Skipped a record of " + dir.string() + "/folder/a.csv at line 3: "),
              std::string::npos) << err.str();
    EXPECT_NE(err.str().find("\nSkipped 5 more records of "), std::string::npos) << err.str();
    EXPECT_EQ(expandElementPaths({(dir / "folder").string(), good}),
              (std::vector<std::string>{(dir / "folder/a.csv").string(), good, good}));
    const std::pair<std::string, std::string> failures[] = {
        {(dir / "missing.txt").string(), "Unable to read element sets from"},
        {write("garbage.txt", std::string(3000000, 'x')), "no element sets in a known format"},
        {write("bad.txt", line1.substr(0, 18) + "14999" + line1.substr(23) + "\n" + line2), "holds no valid"},
        {write("none.json", "[]"), "holds no valid element set"},
        {(dir / "empty").string(), "No element-set files in the folder"},
    };
    fs::create_directories(dir / "empty");
    for (const auto& [path, message] : failures) {
        try {
            readElementFile(expandElementPaths({path}).at(0), err);
            ADD_FAILURE() << path;
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
    fs::remove_all(dir);
}

TEST(UtcInstant, IsoDatesAndTimesInUtc) {
    using boost::posix_time::time_from_string;
    EXPECT_EQ(parseUtcInstant("2025-03-01T12:00:00Z"), time_from_string("2025-03-01 12:00:00"));
    EXPECT_EQ(parseUtcInstant("2024-02-29T23:59Z"), time_from_string("2024-02-29 23:59:00"));
    EXPECT_EQ(parseUtcInstant("2014-11-21T00:00:00.1234567", true),
              time_from_string("2014-11-21 00:00:00.123456"));
    for (const char* bad : {"2025-03-01T12:00:00", "2023-02-29T00:00Z", "2025-03-01 12:00Z",
                            "2025-03-01T24:00Z", "2025-3-1T12:00Z", "now", ""}) {
        EXPECT_FALSE(parseUtcInstant(bad)) << bad;
    }
    EXPECT_EQ(formatUtcInstant(time_from_string("2025-03-01 12:00:00.5")),
              "2025-03-01T12:00:00.5Z");
}

}  // namespace
}  // namespace earth
