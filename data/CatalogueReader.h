#pragma once
// Reader of the tab-separated satellite catalogue table (country, mass, launch date).

#include "data/Resources.h"
#include "data/TleReader.h"

#include <boost/date_time/gregorian/gregorian_types.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace earth {

struct CatalogueRecord {
    std::string name;
    std::int32_t catalogNumber = -1;
    float mass = 0.0f;  // kilograms: dry mass, else launch mass; 0 when both are empty
    bool massAtLaunch = false;  // the mass is the launch mass (no dry mass was published)
    std::string country;
    std::string users;    // "Civil", "Commercial", "Government", "Military" or a combination
    std::string purpose;  // "Communications", "Navigation/Global Positioning", ...
    std::optional<boost::gregorian::date> launchDate;
};

// The catalogue table travels as this "DATA" resource.
constexpr std::uint16_t catalogueResourceId = 901;

// Columns 6 ("launch-mass") and 7 ("dry-mass"). Digit groups are joined ("1,600" and "1, 388" are 1600 and 1388)
// and a remark in parentheses after the number is dropped. Empty gives 0.
float parseMass(const std::string& text);

// Column 8, "month/day/year". Empty gives nothing. Throws "Invalid launch date",
// "Malformed date" or the date library's out-of-range errors.
std::optional<boost::gregorian::date> parseLaunchDate(const std::string& text);

class CatalogueReader {
public:
    // Opens the catalogue resource. Throws "Unable to open UCS file" or "Missing header".
    CatalogueReader();
    explicit CatalogueReader(std::uint16_t resourceId);  // another table of the same form
    explicit CatalogueReader(TextSource source);

    // The next row with a catalogue number, or nothing at the end of the table.
    std::optional<CatalogueRecord> next();

private:
    void skipHeader();

    std::string text_;  // only for a TextSource; declared before the stream that reads it
    ResourceStream stream_;
};

}  // namespace earth
