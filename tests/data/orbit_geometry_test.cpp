#include "data/OrbitGeometry.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace earth {
namespace {

using boost::posix_time::ptime;
using boost::posix_time::time_from_string;

constexpr double mu = 3.986004418e14;
constexpr double twoPi = 6.283185307179586;

// Semi-major axis from the mean motion by Kepler's third law, in double precision. The
// program takes the cube root with the single-precision one third (0.33333334), which makes
// its axes about 5e-7 longer; the tolerances below allow 1e-6 of the axis.
double keplerAxis(double revolutionsPerDay) {
    const double period = 86400.0 / revolutionsPerDay;
    return std::cbrt(mu * period * period / (twoPi * twoPi));
}

TleRecord record(float meanMotion, float eccentricity, float inclination = 0.0f,
                 float raan = 0.0f, float argumentOfPerigee = 0.0f, float meanAnomaly = 0.0f) {
    TleRecord r;
    r.name = "TEST";
    r.catalogNumber = 12345;
    r.epochYear = 14;
    r.epochDay = 325.0f;
    r.inclination = inclination;
    r.raan = raan;
    r.eccentricity = eccentricity;
    r.argumentOfPerigee = argumentOfPerigee;
    r.meanAnomaly = meanAnomaly;
    r.meanMotion = meanMotion;
    return r;
}

Satellite make(const TleRecord& r, bool debris = false) {
    return makeSatellite(r, std::nullopt, {"test"}, debris);
}

TEST(OrbitGeometry, CircularLowOrbit) {
    const Satellite s = make(record(15.5f, 0.0f, 51.6f));
    EXPECT_NEAR(s.period, 86400.0 / 15.5, 0.01);
    EXPECT_NEAR(s.semiMajorAxis, keplerAxis(15.5), 1e-6 * keplerAxis(15.5));
    EXPECT_EQ(s.semiMinorAxis, s.semiMajorAxis);
    EXPECT_EQ(s.apogeeRadius, s.perigeeRadius);
    EXPECT_FLOAT_EQ(s.inclination, 51.6f * 3.14159265f / 180.0f);
    EXPECT_EQ(s.orbitClass, OrbitClass::Leo);
    EXPECT_EQ(make(record(15.5f, 0.0f), true).orbitClass, OrbitClass::None);  // debris
}

TEST(OrbitGeometry, GeosynchronousOrbit) {
    const Satellite s = make(record(1.0027379f, 0.0002f));
    EXPECT_NEAR(s.period, 86164.0905, 1.0);  // a sidereal day
    EXPECT_EQ(s.semiMajorAxis, 42164192.0f);
    EXPECT_NEAR(s.semiMajorAxis, keplerAxis(1.0027379), 1e-6 * keplerAxis(1.0027379));
    EXPECT_EQ(s.orbitClass, OrbitClass::Geo);
}

TEST(OrbitGeometry, MolniyaOrbit) {
    const Satellite s = make(record(2.00563f, 0.72f, 63.4f, 0.0f, 270.0f));
    const double a = keplerAxis(2.00563);
    EXPECT_NEAR(s.semiMajorAxis, a, 1e-6 * a);
    EXPECT_NEAR(s.apogeeRadius, a * 1.72, 1e-6 * a);
    EXPECT_NEAR(s.perigeeRadius, a * 0.28, 1e-6 * a);
    EXPECT_NEAR(s.semiMinorAxis, a * std::sqrt(1.0 - 0.72 * 0.72), 1e-6 * a);
    EXPECT_EQ(s.orbitClass, OrbitClass::Elliptical);
}

TEST(OrbitGeometry, ClassThresholds) {
    const float earth = 6371000.0f;
    struct Case {
        float apogeeAltitude, period, eccentricity;
        bool debris;
        std::int32_t expected;
    } cases[] = {
        {1999999.0f, 6000.0f, 0.0f, false, OrbitClass::Leo},
        {2000000.0f, 6000.0f, 0.0f, false, OrbitClass::Meo},  // exactly 2000 km is not LEO
        {2000000.0f, 6000.0f, 0.0f, true, OrbitClass::None},
        {35786000.0f, 86164.0f, 0.0f, false, OrbitClass::Geo},
        {35786000.0f, 86000.0f, 0.0f, false, OrbitClass::Meo},  // window is open
        {35786000.0f, 91000.0f, 0.0f, false, OrbitClass::Meo},
        {35786000.0f, 86001.0f, 0.0999f, false, OrbitClass::Geo},  // 0.0999f is below 0.0999
        {3450000.0f, 88000.0f, 0.05f, false, OrbitClass::Geo},     // the period decides
        {3449999.0f, 88000.0f, 0.05f, false, OrbitClass::Meo},
        {3650000.0f, 40000.0f, 0.1f, false, OrbitClass::Elliptical},
        {3649999.0f, 40000.0f, 0.1f, false, OrbitClass::Meo},
        {20000000.0f, 43000.0f, 0.01f, true, OrbitClass::None},
        {40000000.0f, 43000.0f, 0.7f, true, OrbitClass::Elliptical},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(classifyOrbit(earth + c.apogeeAltitude, c.period, c.eccentricity, c.debris),
                  c.expected)
            << c.apogeeAltitude << " " << c.period << " " << c.eccentricity;
    }
}

TEST(OrbitGeometry, PerigeePassage) {
    TleRecord r = record(14.96f, 0.052f);
    r.epochYear = 57;
    r.epochDay = 277.80437500f;
    EXPECT_EQ(perigeePassage(r, 5760.0f), time_from_string("1957-10-04 19:18:18.632"));
    r.meanAnomaly = 180.0f;
    EXPECT_EQ(perigeePassage(r, 5760.0f), time_from_string("1957-10-04 18:30:18.632"));
    r.meanAnomaly = 90.0f;
    EXPECT_EQ(perigeePassage(r, 100.0f), time_from_string("1957-10-04 19:17:53.632"));

    struct Case {
        int year;
        float day;
        const char* expected;
    } cases[] = {
        {14, 1.0f, "2014-01-01 00:00:00"}, {14, 1.5f, "2014-01-01 12:00:00"},
        {49, 32.25f, "2049-02-01 06:00:00"}, {50, 60.0f, "1950-03-01 00:00:00"},
        {0, 366.0f, "2000-12-31 00:00:00"},  // leap year
        {99, 365.75f, "1999-12-31 18:00:00"},
    };
    for (const Case& c : cases) {
        TleRecord epoch = record(15.0f, 0.0f);
        epoch.epochYear = c.year;
        epoch.epochDay = c.day;
        EXPECT_EQ(perigeePassage(epoch, 6000.0f), time_from_string(c.expected)) << c.expected;
    }
}

// Independent closed form: node n = (sin R, 0, cos R); normal = +Y turned by i about n;
// perigee = n turned by w about the normal (Rodrigues' formula in double precision).
glm::dvec3 turn(const glm::dvec3& v, double angle, const glm::dvec3& axis) {
    return v * std::cos(angle) + glm::cross(axis, v) * std::sin(angle) +
           axis * glm::dot(axis, v) * (1.0 - std::cos(angle));
}

TEST(OrbitGeometry, OrbitAxes) {
    const auto zero = orbitAxes(0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(glm::distance(zero.first, glm::vec3(0, 0, 1)), 0.0f, 1e-6f);
    EXPECT_NEAR(glm::distance(zero.second, glm::vec3(1, 0, 0)), 0.0f, 1e-6f);

    const double angles[][3] = {{0.3, 0.9, 1.2},  {2.5, 1.7, 4.0}, {5.9, 0.1, 0.0},
                                {1.0, 3.0, 2.0},  {4.4, 1.1, 6.0}, {0.0, 1.5707, 3.14}};
    for (const auto& a : angles) {
        const double raan = a[0], inclination = a[1], argument = a[2];
        const glm::dvec3 node(std::sin(raan), 0.0, std::cos(raan));
        const glm::dvec3 normal = turn(glm::dvec3(0, 1, 0), inclination, node);
        const glm::dvec3 perigee = turn(node, argument, normal);
        const glm::dvec3 ahead = glm::cross(normal, perigee);
        const auto axes = orbitAxes(float(raan), float(inclination), float(argument));
        EXPECT_NEAR(glm::distance(glm::dvec3(axes.first), perigee), 0.0, 1e-5);
        EXPECT_NEAR(glm::distance(glm::dvec3(axes.second), ahead), 0.0, 1e-5);
    }
}

struct Buffers {
    std::vector<OrbitVertex> vertices;
    std::vector<std::uint32_t> segments;
    VertexRangeMap ranges;
};

TEST(OrbitVertices, HeadAndTrailOfOneSatellite) {
    const Satellite s = make(record(15.5f, 0.0f, 51.6f, 30.0f, 10.0f));
    Buffers b;
    buildOrbitVertices(b.vertices, b.segments, b.ranges, s, 100.0f, 777);
    // Trail vertices: the mean circumference in world units, truncated, plus one.
    const int n = int(twoPi * keplerAxis(15.5) / 6378100.0);
    ASSERT_EQ(b.vertices.size(), std::size_t(5 + n + 1));
    ASSERT_EQ(b.segments.size(), std::size_t(2 * (5 + n)));
    EXPECT_EQ(b.ranges.at(777), VertexRange(0, 5 + n));
    for (std::size_t i = 0; i + 1 < b.vertices.size(); ++i) {
        EXPECT_EQ(b.segments[2 * i], i);
        EXPECT_EQ(b.segments[2 * i + 1], i + 1);
    }
    const OrbitVertex& tip = b.vertices[0];
    const OrbitVertex& nextToSatellite = b.vertices[4];
    const OrbitVertex& satellite = b.vertices[5];
    const OrbitVertex& end = b.vertices.back();
    EXPECT_EQ(tip.strength, 0.0f);
    EXPECT_NEAR(nextToSatellite.strength, std::sqrt(0.96f), 1e-6f);  // about 0.98
    EXPECT_EQ(satellite.phase, 100.0f);
    EXPECT_EQ(satellite.strength, 1.0f);
    EXPECT_FLOAT_EQ(end.phase, 100.0f + s.period * 0.1f);
    EXPECT_FLOAT_EQ(end.strength, 0.2f);
    // The head lies ahead (earlier phase) by about 0.02 world units of travel.
    const float spacing = satellite.phase - nextToSatellite.phase;
    EXPECT_NEAR(spacing * 5.0f / s.period * twoPi * keplerAxis(15.5) / 6378100.0, 0.02, 1e-4);
    for (const OrbitVertex& v : b.vertices) {
        EXPECT_EQ(v.show, 0);
        EXPECT_EQ(v.size, 0.01f);
        EXPECT_EQ(v.color, glm::vec4(0.44f, 0.82f, 0.42f, 1.0f));
        EXPECT_EQ(v.period, s.period);
        EXPECT_NEAR(v.semiMajorAxis, keplerAxis(15.5) / 6378100.0, 1e-6);
    }
    for (std::size_t i = 1; i < b.vertices.size(); ++i) {
        EXPECT_GT(b.vertices[i].phase, b.vertices[i - 1].phase);
    }
}

TEST(OrbitVertices, SatelliteIsAtItsPerigeeAtItsPhase) {
    const Satellite s = make(record(2.00563f, 0.72f, 63.4f, 40.0f, 270.0f));
    Buffers b;
    buildOrbitVertices(b.vertices, b.segments, b.ranges, s, -1234.5f, 1);
    const OrbitVertex& satellite = b.vertices[5];
    // The centre sits a*e behind the focus, opposite the perigee.
    EXPECT_NEAR(glm::length(satellite.center), s.semiMajorAxis * 0.72f * orbit::sceneScale, 1e-4);
    EXPECT_LT(glm::dot(satellite.center, satellite.majorAxis), 0.0f);
    const glm::vec3 perigee = orbitPosition(satellite, -1234.5f);
    EXPECT_NEAR(glm::length(perigee), s.perigeeRadius * orbit::sceneScale, 1e-4);
    const glm::vec3 apogee = orbitPosition(satellite, -1234.5f + s.period * 0.5f);
    EXPECT_NEAR(glm::length(apogee), s.apogeeRadius * orbit::sceneScale, 1e-3);
    // A period later it is back.
    EXPECT_NEAR(glm::distance(orbitPosition(satellite, -1234.5f + s.period), perigee), 0, 1e-3);
}

TEST(OrbitVertices, VertexCountsGrowWithTheOrbit) {
    struct Case {
        float meanMotion;
    } cases[] = {{15.5f}, {2.0f}, {1.0027379f}, {0.5f}};
    Buffers b;
    std::uint32_t expectedBase = 0;
    for (const Case& c : cases) {
        const Satellite s = make(record(c.meanMotion, 0.0f));
        buildOrbitVertices(b.vertices, b.segments, b.ranges, s, 0.0f, int(c.meanMotion * 100));
        const int n = int(twoPi * keplerAxis(c.meanMotion) / 6378100.0);
        const VertexRange range = b.ranges.at(int(c.meanMotion * 100));
        EXPECT_EQ(range.first, expectedBase);
        EXPECT_EQ(range.second - range.first + 1, std::uint32_t(n + 6)) << c.meanMotion;
        expectedBase = range.second + 1;
    }
    EXPECT_EQ(b.vertices.size(), expectedBase);
    EXPECT_EQ(b.segments.size(), 2 * (expectedBase - 4));  // no segment between satellites
    // Debris is thin and grey.
    buildOrbitVertices(b.vertices, b.segments, b.ranges, make(record(14.0f, 0.01f), true), 0.0f, 5);
    for (std::uint32_t i = expectedBase; i < b.vertices.size(); ++i) {
        EXPECT_EQ(b.vertices[i].color, glm::vec4(0.2f, 0.2f, 0.2f, 0.5f));
        EXPECT_EQ(b.vertices[i].size, 0.005f);
    }
}

TEST(OrbitVertices, DegenerateElementSetsFailClearly) {
    struct Case {
        TleRecord r;
        const char* reason;
    } cases[] = {
        {record(0.0f, 0.0f), "mean motion"},
        {record(-15.0f, 0.0f), "mean motion"},
        {record(NAN, 0.0f), "mean motion"},
        {record(1e-30f, 0.0f), "mean motion too small"},
        {record(15.0f, 1.0f), "eccentricity"},   // parabolic
        {record(15.0f, 1.5f), "eccentricity"},   // hyperbolic
        {record(15.0f, -0.1f), "eccentricity"},
        {record(15.0f, 0.0f, NAN), "angle"},
        {record(15.0f, 0.0f, 0.0f, INFINITY), "angle"},
        {record(15.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1e30f), "perigee passage"},
        {record(15.0f, 0.0f, 0.0f, 0.0f, 0.0f, NAN), "mean anomaly"},
    };
    for (const Case& c : cases) {
        try {
            make(c.r);
            ADD_FAILURE() << c.reason;
        } catch (const std::runtime_error& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Invalid orbit of satellite 12345: ", 0), 0u) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
    }
    TleRecord badEpoch = record(15.0f, 0.0f);
    badEpoch.epochDay = 1e9f;
    EXPECT_THROW(make(badEpoch), std::runtime_error);
    badEpoch.epochDay = -28.5f;  // a sign in the day field, found by the fuzz test
    EXPECT_THROW(make(badEpoch), std::runtime_error);
    badEpoch = record(15.0f, 0.0f);
    badEpoch.epochYear = -3;
    EXPECT_THROW(make(badEpoch), std::runtime_error);
}

TEST(OrbitVertices, ExtremeButClosedOrbitsGiveFiniteVertices) {
    const TleRecord extremes[] = {
        record(1000.0f, 0.0f),          // inside the Earth: one trail segment, no division by 0
        record(15.0f, 0.9999999f),      // nearly parabolic
        record(0.001f, 0.5f),           // very large orbit: trail length bounded
    };
    for (const TleRecord& r : extremes) {
        Buffers b;
        buildOrbitVertices(b.vertices, b.segments, b.ranges, make(r), 0.0f, 1);
        EXPECT_GE(b.vertices.size(), 7u);
        EXPECT_LE(b.vertices.size(), std::size_t(orbit::maxTrailSegments + 6));
        for (const OrbitVertex& v : b.vertices) {
            for (float f : {v.center.x, v.center.y, v.center.z, v.majorAxis.x, v.minorAxis.z,
                            v.semiMajorAxis, v.semiMinorAxis, v.phase, v.period, v.strength}) {
                EXPECT_TRUE(std::isfinite(f)) << r.meanMotion;
            }
        }
    }
}

// Sputnik's 1957 perigee passage is 1.8e9 s before the epoch, where floats step by 128 s:
// reduced in double precision first, the phase stays exact and the motion smooth.
TEST(OrbitPhase, OldElementSetsKeepTheirResolution) {
    TleRecord r = record(14.96f, 0.052f, 65.1f, 0.0f, 58.0f, 0.0f);
    r.catalogNumber = 2;
    r.epochYear = 57;
    r.epochDay = 277.80437500f;
    const Satellite sputnik = make(r);
    const SimulationClock clock;

    const long double exact =
        std::fmod(static_cast<long double>((sputnik.perigeeTime - clock.epoch())
                                               .total_microseconds()) / 1e6L,
                  static_cast<long double>(sputnik.period));
    const float phase = satellitePhase(clock, sputnik);
    EXPECT_LT(exact, -1.0L);  // the passage lies before the epoch
    EXPECT_NEAR(static_cast<double>(phase), static_cast<double>(exact), 1e-3);
    EXPECT_LT(std::fabs(phase), sputnik.period);

    Buffers b;
    buildOrbitVertices(b.vertices, b.segments, b.ranges, sputnik, phase, 2);
    const OrbitVertex& marker = b.vertices[5];
    SimulationClock running;
    std::vector<glm::vec3> positions;
    for (int frame = 0; frame < 30; ++frame) {
        positions.push_back(orbitPosition(marker, running.time()));
        running.advance(3.0 / 60.0);  // rate 3 at 60 frames per second
    }
    const float expectedStep = glm::distance(positions[0], positions[29]) / 29.0f;
    ASSERT_GT(expectedStep, 0.0f);
    for (std::size_t i = 1; i < positions.size(); ++i) {
        const float step = glm::distance(positions[i], positions[i - 1]);
        EXPECT_NEAR(step, expectedStep, expectedStep * 0.1f) << "frame " << i;
    }
}

TEST(SimulationClock, EpochAndInstants) {
    SimulationClock clock;
    EXPECT_EQ(clock.time(), 0.0f);
    EXPECT_EQ(clock.epoch(), time_from_string("2014-11-21 00:00:00"));
    EXPECT_EQ(clock.secondsUntil(time_from_string("2014-11-22 00:00:00")), 86400.0);
    clock.advance(3600.0);
    EXPECT_EQ(clock.now(), time_from_string("2014-11-21 01:00:00"));
    EXPECT_EQ(clock.secondsUntil(time_from_string("2014-11-22 00:00:00")), 82800.0);
    EXPECT_NEAR(clock.secondsUntil(time_from_string("1957-10-04 19:18:18.632")),
                -1802839301.368 - 3600.0, 1e-6);
}

// A float sum of rate x time step stops moving once it is large: at 1e7 s its steps are 1 s,
// and 3 x 1/60 s is lost every frame. The clock keeps its sum in double precision.
TEST(SimulationClock, SlowRatesStillMoveAfterLongRuns) {
    SimulationClock clock;
    clock.advance(1e7);
    const float start = clock.time();
    for (int frame = 0; frame < 1200; ++frame) clock.advance(3.0 * (1.0 / 60.0));
    EXPECT_NEAR(clock.preciseTime(), 1e7 + 60.0, 1e-6);
    EXPECT_EQ(clock.time(), 1e7f + 60.0f);
    EXPECT_GT(clock.time(), start);
    // Each single step is seen at full resolution by readers of the precise time.
    const double before = clock.preciseTime();
    clock.advance(0.05);
    EXPECT_NEAR(clock.preciseTime() - before, 0.05, 1e-8);
}

}  // namespace
}  // namespace earth
