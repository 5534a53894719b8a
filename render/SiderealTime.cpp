#include "render/SiderealTime.h"

#include "data/OrbitGeometry.h"

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <boost/date_time/posix_time/posix_time_types.hpp>

#include <cmath>
#include <cstdint>

namespace earth {

namespace {
constexpr std::int64_t kSiderealDayMicroseconds = 86164090530;
constexpr float kTwoPi = 2.0f * orbit::pi;
}  // namespace

float siderealOffsetSeconds(const boost::posix_time::ptime& epoch) {
    using namespace boost::posix_time;
    const ptime j2000(boost::gregorian::date(2000, 1, 1), hours(12));
    const std::int64_t d = (epoch - j2000).total_microseconds();
    const std::int64_t whole = d / kSiderealDayMicroseconds * kSiderealDayMicroseconds;
    return static_cast<float>(static_cast<double>(d - whole) / 1000000.0);
}

float earthRotationAngle(double time, float siderealOffset) {
    // The single-precision constants of the sidereal-time formula, evaluated in double.
    const double hours = std::fmod(
        double(18.697374f) + double(24.06571f) * (time + double(siderealOffset)) / 86400.0,
        24.0);
    return static_cast<float>(hours / 24.0 * double(kTwoPi));
}

}  // namespace earth
