#pragma once
// One object of the catalogue: its orbit and what the catalogue table says about it.

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <boost/date_time/posix_time/posix_time_types.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace earth {

// Single bits, so that the tour picks several classes with one mask.
struct OrbitClass {
    static constexpr std::int32_t None = 0;  // debris that fits none of the classes
    static constexpr std::int32_t Leo = 1;
    static constexpr std::int32_t Meo = 16;
    static constexpr std::int32_t Geo = 256;
    static constexpr std::int32_t Elliptical = 4096;
    static constexpr std::int32_t All = Leo | Meo | Geo | Elliptical;  // 4369
};

struct Satellite {
    std::string name;  // name line of the element set
    std::int32_t catalogNumber = 0;
    std::vector<std::string> categories;  // ascending byte order, each once
    float period = 0.0f;                  // seconds
    float eccentricity = 0.0f;
    float inclination = 0.0f;        // radians
    float raan = 0.0f;               // radians
    float argumentOfPerigee = 0.0f;  // radians
    float semiMajorAxis = 0.0f;      // metres
    float semiMinorAxis = 0.0f;      // metres
    float apogeeRadius = 0.0f;       // metres from the Earth's centre
    float perigeeRadius = 0.0f;      // metres from the Earth's centre
    boost::posix_time::ptime epoch;  // UTC instant of the element set
    double meanAnomaly = 0.0;        // radians at the epoch
    // Secular drift under the Earth's oblateness, radians per second.
    double meanMotion = 0.0;   // rate of the mean anomaly
    double raanRate = 0.0;     // the plane turns about the pole
    double perigeeRate = 0.0;  // the perigee turns within the plane
    std::string country;
    std::string users;    // who uses it ("Government", "Commercial/Military", ...)
    std::string purpose;  // what for ("Navigation/Global Positioning", ...)
    float mass = 0.0f;  // kilograms, 0 when unknown
    bool massAtLaunch = false;  // launch mass (no dry mass known)
    std::optional<boost::gregorian::date> launchDate;
    bool isDebris = false;
    std::int32_t orbitClass = OrbitClass::None;
};

}  // namespace earth
