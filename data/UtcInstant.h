#pragma once
// Instants written as ISO-8601 calendar dates and times in UTC.

#include <boost/date_time/posix_time/posix_time_types.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace earth {

// "2025-03-01T12:00:00Z": date, "T", hours and minutes, optional seconds with an optional
// fraction (to the microsecond), and "Z" unless `zoneOptional` (the OMM's EPOCH is written
// without it). Nothing for any other text or an impossible date or time.
std::optional<boost::posix_time::ptime> parseUtcInstant(std::string_view text,
                                                        bool zoneOptional = false);

// "2025-03-01T12:00:00Z", with the fraction of a second when there is one.
std::string formatUtcInstant(const boost::posix_time::ptime& instant);

}  // namespace earth
