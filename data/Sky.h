#pragma once
// What the program shows: the embedded 2014 sky or the user's own element sets, and the
// instant at which the simulated time starts.

#include "data/Satellite.h"

#include <boost/date_time/posix_time/posix_time_types.hpp>

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace earth {

// `--time`: nothing for the default, "now", or an instant.
struct StartTime {
    bool now = false;
    std::optional<boost::posix_time::ptime> instant;
};

// "now" or an instant in the form of parseUtcInstant; nothing for any other text.
std::optional<StartTime> parseStartTime(const std::string& text);

struct Sky {
    std::vector<Satellite> satellites;
    boost::posix_time::ptime start;  // simulated time 0, UTC
    bool ownElements = false;        // the user's files, not the embedded sky
};

// The embedded catalogue at 2014-11-21 00:00:00 UTC.
Sky embeddedSky();

// Without paths, the embedded sky, whose start `time` may move by at most a year (else it
// throws, saying so). With paths, their element sets (data/ElementFiles.h, skipped records
// reported on `err`), starting at `time`, or by default at `systemNow` when their newest
// epoch lies within 30 days of it and at that newest epoch otherwise.
Sky loadSky(const std::vector<std::string>& elementPaths, const StartTime& time,
            const boost::posix_time::ptime& systemNow, std::ostream& err);

}  // namespace earth
