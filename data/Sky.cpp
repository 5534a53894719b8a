#include "data/Sky.h"

#include "data/Catalogue.h"
#include "data/CatalogueReader.h"
#include "data/ElementFiles.h"
#include "data/SimulationClock.h"
#include "data/UtcInstant.h"

#include <algorithm>
#include <stdexcept>

namespace earth {
namespace {

using boost::posix_time::ptime;

// How far from the embedded sets' epoch their positions still mean something: after a year
// the low orbits have decayed and drifted far from what two-body motion with J2 predicts.
const boost::posix_time::time_duration embeddedRange = boost::posix_time::hours(24 * 365);
const boost::posix_time::time_duration recentEpochs = boost::posix_time::hours(24 * 30);

ptime chosen(const StartTime& time, const ptime& systemNow, const ptime& fallback) {
    if (time.now) return systemNow;
    return time.instant.value_or(fallback);
}

boost::posix_time::time_duration distance(const ptime& a, const ptime& b) {
    return a < b ? b - a : a - b;
}

}  // namespace

std::optional<StartTime> parseStartTime(const std::string& text) {
    if (text == "now") return StartTime{true, std::nullopt};
    if (const auto instant = parseUtcInstant(text)) return StartTime{false, instant};
    return std::nullopt;
}

Sky embeddedSky() {
    return Sky{loadSatellites(), SimulationClock::embeddedSkyStart(), false};
}

Sky loadSky(const std::vector<std::string>& elementPaths, const StartTime& time,
            const ptime& systemNow, std::ostream& err) {
    if (elementPaths.empty()) {
        Sky sky = embeddedSky();
        const ptime start = chosen(time, systemNow, sky.start);
        if (distance(start, sky.start) > embeddedRange) {
            throw std::runtime_error(
                "The embedded sky holds the element sets of 2014-11-21; " +
                formatUtcInstant(start) +
                " is more than a year away from them. Use --time within a year of "
                "2014-11-21, or bring current element sets with --elements.");
        }
        sky.start = start;
        return sky;
    }

    std::vector<ElementCategory> categories;
    for (const std::string& path : expandElementPaths(elementPaths)) {
        categories.push_back(readElementFile(path, err));
    }
    Sky sky;
    sky.satellites = assembleCatalogue(categories, catalogueResourceId, err);
    sky.ownElements = true;
    ptime newest = sky.satellites.front().epoch;
    for (const Satellite& satellite : sky.satellites) newest = std::max(newest, satellite.epoch);
    const ptime fallback = distance(newest, systemNow) <= recentEpochs ? systemNow : newest;
    sky.start = chosen(time, systemNow, fallback);
    return sky;
}

}  // namespace earth
