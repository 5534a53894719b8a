#include "data/OrbitGeometry.h"

#include "data/SimulationClock.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>

namespace earth {
namespace {

using boost::posix_time::time_from_string;
constexpr double twoPi = 6.283185307179586;

// Kepler's third law in double precision; the program's single-precision cube root makes its
// axes about 5e-7 longer, inside the 1e-6 allowed below.
double keplerAxis(double revolutionsPerDay) {
    const double period = 86400.0 / revolutionsPerDay;
    return std::cbrt(3.986004418e14 * period * period / (twoPi * twoPi));
}

Satellite make(float meanMotion, float e, float inclination = 0.0f, bool debris = false,
               float meanAnomaly = 0.0f) {
    TleRecord r;
    r.catalogNumber = 12345;
    r.epochYear = 14;
    r.epochDay = 325.0;
    r.inclination = inclination;
    r.eccentricity = e;
    r.meanAnomaly = meanAnomaly;
    r.meanMotion = meanMotion;
    return makeSatellite(r, std::nullopt, {"test"}, debris);
}

TEST(OrbitGeometry, AxesAndClassOfEachKindOfOrbit) {
    struct Case {
        float meanMotion, e, inclination;
        bool debris;
        std::int32_t expected;
    } cases[] = {
        {15.5f, 0.0f, 51.6f, false, OrbitClass::Leo}, {15.5f, 0.0f, 51.6f, true, OrbitClass::None},
        {2.0f, 0.01f, 55.0f, false, OrbitClass::Meo},
        {1.0027379f, 0.0002f, 0.1f, false, OrbitClass::Geo},
        {2.00563f, 0.72f, 63.4f, true, OrbitClass::Elliptical}};
    for (const Case& c : cases) {
        const Satellite s = make(c.meanMotion, c.e, c.inclination, c.debris);
        const double a = keplerAxis(c.meanMotion), e = c.e;
        EXPECT_NEAR(s.semiMinorAxis, a * std::sqrt(1.0 - e * e), 1e-6 * a);
        EXPECT_NEAR(s.apogeeRadius, a * (1.0 + e), 1e-6 * a);
        EXPECT_NEAR(s.perigeeRadius, a * (1.0 - e), 1e-6 * a);
        EXPECT_EQ(s.orbitClass, c.expected) << c.meanMotion << " debris " << c.debris;
    }
}

TEST(OrbitGeometry, SetsWithoutAClosedOrbitOrEpochFailClearly) {
    const std::pair<std::function<Satellite()>, const char*> cases[] = {
        {[] { return make(0.0f, 0.0f); }, "mean motion"},
        {[] { return make(NAN, 0.0f); }, "mean motion"},
        {[] { return make(1e-30f, 0.0f); }, "too small"},
        {[] { return make(15.0f, 1.0f); }, "eccentricity"},
        {[] { return make(15.0f, 0.0f, INFINITY); }, "angle"},
        {[] { return make(15.0f, 0.0f, 0.0f, false, NAN); }, "mean anomaly"}};
    for (const auto& [f, reason] : cases) {
        try {
            f();
            ADD_FAILURE() << reason;
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Invalid orbit of satellite 12345: ", 0), 0u);
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
    }
    TleRecord r;
    r.meanMotion = 15.0f;
    r.epochDay = -28.5;  // a sign in the day field, found by fuzzing
    EXPECT_THROW(checkElementSet(r), std::runtime_error);
    const struct { int year; double day; const char* expected; } epochs[] = {
        {57, 277.804375, "1957-10-04 19:18:18"}, {56, 1.5, "2056-01-01 12:00:00"},
        {0, 366.0, "2000-12-31 00:00:00"}, {14, 325.12345678, "2014-11-21 02:57:46.665792"}};
    for (const auto& e : epochs) {
        r.epochYear = e.year;
        r.epochDay = e.day;
        EXPECT_EQ(elementEpoch(r), time_from_string(e.expected)) << e.expected;
    }
}

// SGP4's positions (python3-sgp4, equatorial frame, km) of four sets of 2014-11-21: where
// two-body motion was 76, 776, 29, 74 and 26 km off, the J2 drift keeps to the tolerances.
TEST(OrbitGeometry, J2DriftFollowsSgp4) {
    const char* sets[][2] = {
        {"1 25544U 98067A   14325.00000000  .00006490  00000-0  10525-3 0  9990",
         "2 25544  51.6429  39.1105 0004559  30.4407 221.4174 15.54111847 84492"},
        {"1 24876U 97035A   14325.00000000  .00000075  00000-0  00000-0 0  9998",
         "2 24876  55.5099 262.8471 0034717  70.4007 110.5137  2.00565175150388"},
        {"1 07392U 74060A   14325.00000000 -.00000056  00000-0  00000+0 0  9994",
         "2 07392   8.7604 320.2054 0006031 146.2667  27.7843  1.00198728103388"},
        {"1 07276U 74026A   14325.00000000  .00000137  00000-0 -68415-3 0  9995",
         "2 07276  62.8736 333.2232 6827707 279.8774  50.1009  2.45096043209914"}};
    const struct { int set; double minutes, x, y, z, toleranceKm; } cases[] = {
        {0, 1440, -2402.24, 3452.17, 5310.27, 13}, {0, 4320, -5145.98, 1339.69, 4202.06, 40},
        {1, 1440, 2451.50, 26451.49, -1295.55, 25}, {2, 1440, -29826.48, 29794.53, 575.63, 31},
        {3, 1440, -3234.62, 20196.09, 32257.92, 22}};
    for (const auto& c : cases) {
        const Satellite s = makeSatellite(parseElementLines("", sets[c.set][0], sets[c.set][1]),
                                          std::nullopt, {}, false);
        const glm::dvec3 p = positionAt(orbitMotion(s, s.epoch), c.minutes * 60.0) / 1000.0;
        // World (x, y, z) is the equatorial frame's (y, z, x).
        EXPECT_LT(glm::distance(glm::dvec3(p.z, p.x, p.y), glm::dvec3(c.x, c.y, c.z)),
                  c.toleranceKm)
            << sets[c.set][0] << " after " << c.minutes << " minutes";
    }
}

TEST(SimulationClock, StartInstantAndPresent) {
    SimulationClock clock(time_from_string("2025-03-01 12:00:00"));
    EXPECT_EQ(SimulationClock().epoch(), time_from_string("2014-11-21 00:00:00"));
    clock.advance(1e9 + 0.25);
    EXPECT_EQ(clock.now(), time_from_string("2056-11-07 13:46:40.250"));
}

}  // namespace
}  // namespace earth
