#pragma once
// Reader of the two-line element set files (name line plus element lines 1 and 2).

#include "data/Resources.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace earth {

// The fields of one element set that the orbit geometry needs.
struct TleRecord {
    std::string name;
    std::int32_t catalogNumber = 0;
    std::int32_t epochYear = 0;  // two digits as written, 0 to 99 (see fullEpochYear)
    double epochDay = 0.0;       // 1.0 is 1 January 00:00 UTC; double keeps it to 10 us
    float inclination = 0.0f;    // degrees
    float raan = 0.0f;           // degrees
    float eccentricity = 0.0f;
    float argumentOfPerigee = 0.0f;  // degrees
    float meanAnomaly = 0.0f;        // degrees
    float meanMotion = 0.0f;         // revolutions per day
};

// Text given in memory instead of an embedded resource (tests, fuzzing); the reader keeps
// its own copy.
struct TextSource {
    std::string text;
};

// Field converters over the character positions [begin, end) of a line. A range that does
// not lie within the line, or a field from which nothing converts, fails with
// "Unable to parse value"; the standard conversions' own errors pass through.
std::int32_t parseIntField(const std::string& line, std::size_t begin, std::size_t end);
float parseFloatField(const std::string& line, std::size_t begin, std::size_t end,
                      bool impliedPoint = false);
double parseDoubleField(const std::string& line, std::size_t begin, std::size_t end,
                        bool impliedPoint = false);

// The year of a two-digit epoch year: 57 to 99 are 1957 to 1999, 0 to 56 are 2000 to 2056.
inline int fullEpochYear(int twoDigits) { return twoDigits + (twoDigits < 57 ? 2000 : 1900); }

// Columns 3 to 7 of element line 1: five digits, or a letter and four digits for the numbers
// from 100000 on (A0000 is 100000; the letters I and O are not used).
std::int32_t parseElementNumber(const std::string& line1);

// One set from its name line and its two element lines (already trimmed). Throws
// "Malformed Line 1" / "Malformed Line 2" for a line of the wrong length, or the converters'
// failures.
TleRecord parseElementLines(std::string name, const std::string& line1,
                            const std::string& line2);

class TleReader {
public:
    // Throws "Unable to open TLE file" (or the resource loader's failure).
    explicit TleReader(std::uint16_t resourceId);
    explicit TleReader(TextSource source);

    // The next set, or nothing at the end of the file. Throws on a malformed set: the embedded
    // files are checked when they are made, so a fault there stops start-up.
    std::optional<TleRecord> next();

private:
    std::string text_;  // only for a TextSource; declared before the stream that reads it
    ResourceStream stream_;
};

}  // namespace earth
