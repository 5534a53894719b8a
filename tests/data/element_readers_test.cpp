// The element-set readers: the strict one of the embedded files, and those of the user's
// files in each format, which skip a malformed record with its line and keep the rest.
#include "data/ElementFiles.h"
#include "data/ElementSetReaders.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace earth {
namespace {

using Format = ElementFormat;
const std::string line1 = "1 25544U 98067A   14328.50000000  .00016717  00000-0  10270-3 0  9005";
const std::string line2 = "2 25544  51.6416 247.4627 0006703 130.5360 325.0288 15.72125391563537";

TEST(TleReader, EmbeddedFilesAreStrict) {
    const std::pair<std::string, const char*> cases[] = {
        {"A\n" + line1 + "\n", "Missing third line in TLE triple"},
        {"A\r\n" + line1 + " \r\n" + line2 + "9\n", "Malformed Line 2"}};
    for (const auto& [text, message] : cases) {
        try {
            TleReader(TextSource{text}).next();
            ADD_FAILURE() << text;
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
    TleReader reader(60105);  // an embedded resource of one set
    EXPECT_EQ(reader.next()->epochYear, 57);
    EXPECT_FALSE(reader.next());
    // Five characters beyond 99999: a letter for the leading digits.
    const std::string alpha5 = line1.substr(0, 2) + "T0042" + line1.substr(7);
    EXPECT_EQ(parseElementLines("", alpha5, line2).catalogNumber, 270042);
}

using Fields = std::vector<std::pair<std::string, std::string>>;
const Fields iss = {
    {"OBJECT_NAME", "ISS (ZARYA)"}, {"NORAD_CAT_ID", "25544"}, {"MEAN_MOTION", "15.72125391"},
    {"EPOCH", "2014-11-24T12:00:00.000000"}, {"ECCENTRICITY", "0.0006703"},
    {"INCLINATION", "51.6416"}, {"RA_OF_ASC_NODE", "247.4627"},
    {"ARG_OF_PERICENTER", "130.5360"}, {"MEAN_ANOMALY", "325.0288"}};

Fields with(const std::string& name, const std::string& value) {
    Fields f = iss;
    for (auto& [key, v] : f) v = key == name ? value : v;
    return f;
}

// One record per line, so that record k (from 0) sits on line k + 2 in every format.
std::string omm(Format format, const std::vector<Fields>& records) {
    const bool csv = format == Format::OmmCsv, json = format == Format::OmmJson;
    std::string text = json ? "[" : csv ? "" : "<ndm>";
    for (std::size_t i = 0; csv && i < iss.size(); ++i) text += (i ? "," : "") + iss[i].first;
    for (std::size_t k = 0; k < records.size(); ++k) {
        text += json ? (k ? ",\n{" : "\n{") : csv ? "\n" : "\n<omm><body><segment>";
        for (std::size_t i = 0; i < records[k].size(); ++i) {
            const auto& [key, v] = records[k][i];
            const std::string q = key == "OBJECT_NAME" || key == "EPOCH" ? "\"" : "";
            text += csv    ? (i ? "," : "") + v
                    : json ? (i ? ",\"" : "\"") + key + "\":" + q + v + q
                           : "<" + key + ">" + v + "</" + key + ">";
        }
        text += json ? "}" : csv ? "" : "</segment></body></omm>";
    }
    return text + (json ? "\n]" : csv ? "\n" : "\n</ndm>\n");
}

TEST(ElementSetReaders, EveryFormatReadsGoodRecordsAndSkipsBadOnesWithTheirLine) {
    const std::string xml = omm(Format::OmmXml, {iss, with("MEAN_ANOMALY", ""),
                                                 with("EPOCH", "1950-01-01T00:00:00")});
    const struct {
        Format format;
        std::string text;
        std::vector<std::string> names;                          // of the sets read
        std::vector<std::pair<std::size_t, std::string>> skips;  // line and part of the reason
    } cases[] = {
        {Format::Tle, "ISS (ZARYA)\n" + line1 + "\n" + line2 + "\n\n" + line1 + "\r\n" + line2 +
                          "\r\n0 X\n" + line1 + "\n" + line2,  // three-line, two-line, "0 NAME"
         {"ISS (ZARYA)", "", "X"}, {}},
        {Format::Tle, "LONE NAME\nSHORT\n" + line1.substr(0, 60) + "\n" + line2 + "\n" + line2 +
                          "\nNO LINE 2\n" + line1 + "\nGOOD\n" + line1 + "\n" + line2 +
                          "\nBAD E\n" + line1 + "\n" + line2.substr(0, 8) + " xx.xxxx" +
                          line2.substr(16),
         {"GOOD"}, {{1, "name line without"}, {2, "Malformed Line 1"},
          {5, "line 2 without line 1"}, {6, "line 1 without line 2"}, {11, "not a number"}}},
        {Format::OmmCsv, omm(Format::OmmCsv, {iss, with("MEAN_MOTION", ""),
             with("EPOCH", "2014-13-01T00:00:00"), with("OBJECT_NAME", "\"A, B\""),
             with("OBJECT_NAME", "\"open"), with("ECCENTRICITY", "1.5")}) + "1,2\n",
         {"ISS (ZARYA)", "A, B"}, {{3, "missing MEAN_MOTION"}, {4, "EPOCH is not a date"},
          {6, "not closed"}, {7, "eccentricity"}, {8, "2 fields where the header has 9"}}},
        {Format::OmmJson, omm(Format::OmmJson, {iss, with("INCLINATION", "\"51.6\""),
             with("NORAD_CAT_ID", "-4"), with("RA_OF_ASC_NODE", "\"x\"")}) + "\n[",
         {"ISS (ZARYA)", "ISS (ZARYA)"},
         {{4, "NORAD_CAT_ID"}, {5, "RA_OF_ASC_NODE is not a number"}, {7, "not valid JSON"}}},
        {Format::OmmJson, "[1,\n[2]]", {}, {{1, "not an object"}, {2, "not an object"}}},
        {Format::OmmXml, xml.substr(0, xml.size() - 8),  // the root's closing tag cut off
         {"ISS (ZARYA)"},
         {{4, "not valid XML"}, {3, "missing MEAN_ANOMALY"}, {4, "outside 1957 to 2056"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
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
            const SkippedRecord& skip = read.skipped[i];
            EXPECT_TRUE(skip.line == c.skips[i].first &&
                        skip.reason.find(c.skips[i].second) != std::string::npos)
                << skip.line << ": " << skip.reason;
        }
        EXPECT_EQ(detectElementFormat(c.text), c.format);
    }
    EXPECT_EQ(detectElementFormat("\xEF\xBB\xBF\n  " + line1 + "\n" + line2), Format::Tle);
}

TEST(ElementFiles, NamedAfterTheFileFailuresNameIt) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("elements_" + std::to_string(::getpid()));
    for (const char* folder : {"folder", "empty"}) fs::create_directories(dir / folder);
    const auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    };
    std::string bad;
    for (int i = 0; i < 25; ++i) bad += "NAME " + std::to_string(i) + "\n";
    const std::string csv = write("folder/a.csv", omm(Format::OmmCsv, {iss}) + bad);
    const std::string json = write("folder/b-debris.json", omm(Format::OmmJson, {iss}));
    write("folder/.hidden", "x");
    EXPECT_EQ(expandElementPaths({(dir / "folder").string(), json}),
              (std::vector<std::string>{csv, json, json}));
    std::ostringstream err;
    const ElementCategory category = readElementFile(csv, err);
    EXPECT_EQ(category.name + " " + std::to_string(category.sets.size()), "a 1");
    EXPECT_EQ(err.str().rfind("Skipped a record of " + csv + " at line 3: 1 fields", 0), 0u);
    EXPECT_NE(err.str().find("\nSkipped 5 more records of " + csv), std::string::npos);
    const std::pair<std::string, std::string> failures[] = {
        {(dir / "missing.txt").string(), "Unable to read element sets from"},
        {write("garbage.txt", std::string(3000000, 'x')), "no element sets in a known format"},
        {write("bad.txt", line1.substr(0, 18) + "14999" + line1.substr(23) + "\n" + line2),
         "holds no valid element set"},
        {write("none.json", "[]"), "holds no valid element set"},
        {(dir / "empty").string(), "No element-set files in the folder"}};
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

}  // namespace
}  // namespace earth
