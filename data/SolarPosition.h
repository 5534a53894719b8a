#pragma once
// Where the Sun is seen from the Earth's centre, for lighting the globe at a simulated instant.

#include <boost/date_time/posix_time/posix_time_types.hpp>
#include <glm/vec3.hpp>

namespace earth {

// Unit vector towards the Sun in the scene's inertial frame (+Y the north pole, +Z the March
// equinox, +X right ascension 90 degrees) at the instant (UTC). The Astronomical Almanac's
// low-precision formula: within 0.01 degree between 1950 and 2050.
glm::dvec3 sunDirection(const boost::posix_time::ptime& instant);

// The same, `days` after 2000-01-01 12:00 UTC.
glm::dvec3 sunDirectionAtDays(double days);

}  // namespace earth
