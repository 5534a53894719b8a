#include "data/SolarPosition.h"

#include <boost/date_time/gregorian/gregorian_types.hpp>

#include <cmath>

namespace earth {
namespace {

constexpr double degrees = 3.14159265358979323846 / 180.0;

}  // namespace

glm::dvec3 sunDirectionAtDays(double n) {
    // Mean longitude and mean anomaly, then the ecliptic longitude with the equation of centre;
    // the Sun's ecliptic latitude stays below 0.0003 degree and is taken as 0.
    const double meanLongitude = 280.460 + 0.9856474 * n;
    const double g = (357.528 + 0.9856003 * n) * degrees;
    const double lambda =
        (meanLongitude + 1.915 * std::sin(g) + 0.020 * std::sin(2.0 * g)) * degrees;
    const double epsilon = (23.439 - 0.0000004 * n) * degrees;
    // Equatorial x (to the equinox), y, z (to the pole) in the scene's axis order z, x, y.
    const double x = std::cos(lambda);
    const double y = std::cos(epsilon) * std::sin(lambda);
    const double z = std::sin(epsilon) * std::sin(lambda);
    return {y, z, x};
}

glm::dvec3 sunDirection(const boost::posix_time::ptime& instant) {
    const boost::posix_time::ptime j2000(boost::gregorian::date(2000, 1, 1),
                                         boost::posix_time::hours(12));
    const double days = static_cast<double>((instant - j2000).total_microseconds()) / 86400e6;
    return sunDirectionAtDays(days);
}

}  // namespace earth
