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
    std::int32_t epochYear = 0;  // two digits as written, 0 to 99
    float epochDay = 0.0f;       // 1.0 is 1 January 00:00 UTC
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

class TleReader {
public:
    // Throws "Unable to open TLE file" (or the resource loader's failure).
    explicit TleReader(std::uint16_t resourceId);
    explicit TleReader(TextSource source);

    // The next set, or nothing at the end of the file. Throws on a malformed set.
    std::optional<TleRecord> next();

private:
    std::string text_;  // only for a TextSource; declared before the stream that reads it
    ResourceStream stream_;
};

}  // namespace earth
