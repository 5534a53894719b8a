#pragma once
// The angle by which the Earth has turned about its axis at a simulated instant.

#include <boost/date_time/posix_time/ptime.hpp>

namespace earth {

// Seconds from the start of the sidereal day (counted from J2000, 2000-01-01 12:00:00) that
// contains `epoch` to `epoch`. Whole sidereal days drop out so that the rest fits a float.
float siderealOffsetSeconds(const boost::posix_time::ptime& epoch);

// Greenwich mean sidereal time as an angle in radians, `time` seconds after the epoch whose
// offset is `siderealOffset`; the globe turns by it about +Y. The time is a double so that
// the globe turns as smoothly after years of simulated time as at the start.
float earthRotationAngle(double time, float siderealOffset);

}  // namespace earth
