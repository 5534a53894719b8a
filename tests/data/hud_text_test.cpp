// The desktop display's pure parts: the status line, the subtitles' timing, the search.
#include "data/SatelliteSearch.h"
#include "data/StatusText.h"
#include "data/Subtitles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace earth {
namespace {

TEST(StatusText, DatesAndRates) {
    const struct {
        double seconds;
        const char* utc;
    } dates[] = {
        {0.0, "2014-11-21 00:00:00 UTC"},
        {11565.9, "2014-11-21 03:12:45 UTC"},
        {-0.25, "2014-11-20 23:59:59 UTC"},             // rounded down, into the day before
        {86400.0 * 9 + 3600 * 23, "2014-11-30 23:00:00 UTC"},
        {86400.0 * 100, "2015-03-01 00:00:00 UTC"},     // February 2015 has 28 days
        {86400.0 * 465, "2016-02-29 00:00:00 UTC"},     // a leap day
        {-1416528000.0, "1970-01-01 00:00:00 UTC"},
        {-1416528001.0, "1969-12-31 23:59:59 UTC"},
        {3.2e11, "12155-04-14 16:53:20 UTC"},          // ten thousand years on
        {-7.0e10, "-204-09-03 19:33:20 UTC"},           // before year 1
        {1e18, "time out of range"},
        {std::nan(""), "time out of range"},
    };
    for (const auto& d : dates) EXPECT_STREQ(utcText(d.seconds).data(), d.utc) << d.seconds;

    EXPECT_STREQ(statusText(11565.9, 1000.0f, false, 5123).data(),
                 "2014-11-21 03:12:45 UTC   x1000   5123 objects");
    EXPECT_STREQ(statusText(0.0, -0.02f, true, 1).data(),
                 "2014-11-21 00:00:00 UTC   x0   1 object   Paused");
    EXPECT_STREQ(statusText(0.0, -249.5f, false, 0).data(),
                 "2014-11-21 00:00:00 UTC   x-249.5   0 objects");
}

TEST(Subtitles, LinesAndTheirTiming) {
    const auto lines = narrationLines("\r\n  aaaa \r\nbbbbbbbb\n\n\n cccc\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "aaaa");
    EXPECT_EQ(lines[1].text, "bbbbbbbb");
    EXPECT_EQ(lines[2].text, "cccc");
    EXPECT_FALSE(lines[0].opensParagraph);
    EXPECT_FALSE(lines[1].opensParagraph);
    EXPECT_TRUE(lines[2].opensParagraph);

    // 10.2 s: 0.35 lead-in, 2 s speech, 0.4 pause, 4 s, 0.85 paragraph pause, 2 s, 0.6 tail.
    // The subtitle changes halfway through each pause: at 2.55 s and at 7.175 s.
    // A 1 s track is too short for its pauses: its 16 letters share it, 0.25, 0.5, 0.25 s.
    const struct {
        double position, length;
        std::size_t line;
    } cases[] = {{0.0, 10.2, 0},  {2.5, 10.2, 0},  {2.6, 10.2, 1}, {7.1, 10.2, 1},
                 {7.2, 10.2, 2},  {10.2, 10.2, 2}, {99.0, 10.2, 2}, {0.2, 1.0, 0},
                 {0.3, 1.0, 1},   {0.8, 1.0, 2},   {1.0, 0.0, std::string::npos}};
    for (const auto& c : cases) {
        EXPECT_EQ(subtitleAt(lines, c.position, c.length), c.line) << c.position << " of " << c.length;
    }
    EXPECT_EQ(subtitleAt({}, 1.0, 10.0), std::string::npos);
}

TEST(SatelliteSearch, NamesAndNumbers) {
    std::vector<Satellite> catalogue;
    auto add = [&](int number, const char* name, int orbitClass = OrbitClass::Leo) {
        Satellite s;
        s.catalogNumber = number;
        s.name = name;
        s.orbitClass = orbitClass;
        catalogue.push_back(s);
    };
    add(5, "VANGUARD 1");
    add(25544, "ISS (ZARYA)");
    add(25545, "DEB 25544");
    add(27825, "THURAYA-2", OrbitClass::Geo);
    add(32404, "THURAYA-3", OrbitClass::Geo);
    add(33000, "FENGYUN 1C DEB", OrbitClass::None);  // never shown in free exploration
    add(255440, "ZARYA THURAYA");
    const struct {
        const char* query;
        std::size_t limit;
        std::vector<int> found;
    } cases[] = {
        {"thuraya", 10, {27825, 32404, 255440}},  // names that begin with it come first
        {"  ThUrAyA-3 ", 10, {32404}},
        {"zarya", 10, {255440, 25544}},
        {"25544", 10, {25544, 255440, 25545}},    // the number, longer numbers, then names
        {"2554", 2, {25544, 25545}},
        {"5", 1, {5}},
        {"fengyun", 10, {}},
        {"", 10, {}},
        {"   ", 10, {}},
        {"no such thing", 10, {}},
    };
    std::vector<const Satellite*> found;
    for (const auto& c : cases) {
        searchSatellites(catalogue, c.query, c.limit, found);
        std::vector<int> numbers;
        for (const Satellite* s : found) numbers.push_back(s->catalogNumber);
        EXPECT_EQ(numbers, c.found) << '"' << c.query << '"';
    }
}

}  // namespace
}  // namespace earth
