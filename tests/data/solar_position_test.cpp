#include "data/SolarPosition.h"

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace earth {
namespace {

using boost::gregorian::date;
using boost::posix_time::hours;
using boost::posix_time::ptime;

// References from an independent ephemeris (python3-erfa: the Earth's heliocentric position
// by epv00, negated and turned to the true equator and equinox of date by pnm06a), written in
// the scene's axes. The first is the tour's start, when the fixed default light is 161.6
// degrees away from the Sun; the second a solstice noon.
TEST(SolarPosition, WithinATenthOfADegreeOfAnIndependentEphemeris) {
    const struct {
        ptime instant;
        glm::dvec3 expected;
    } cases[] = {
        {ptime(date(2014, 11, 21), hours(0)), {-0.783059, -0.339425, -0.521161}},
        {ptime(date(2015, 6, 21), hours(12)), {0.917510, 0.397699, 0.003117}},
    };
    for (const auto& c : cases) {
        const glm::dvec3 sun = sunDirection(c.instant);
        EXPECT_NEAR(glm::length(sun), 1.0, 1e-9);
        const double degrees = std::acos(glm::dot(sun, c.expected) / glm::length(c.expected)) *
                               180.0 / 3.14159265358979323846;
        EXPECT_LT(degrees, 0.1) << c.instant.date().year() << "-" << c.instant.date().month();
    }
}

}  // namespace
}  // namespace earth
