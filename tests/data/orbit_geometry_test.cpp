#include "data/OrbitGeometry.h"

#include "data/SimulationClock.h"

#include <boost/date_time/posix_time/posix_time.hpp>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <cmath>
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

TleRecord record(float meanMotion, float eccentricity, float inclination = 0.0f,
                 float meanAnomaly = 0.0f) {
    TleRecord r;
    r.catalogNumber = 12345;
    r.epochYear = 14;
    r.epochDay = 325.0;
    r.inclination = inclination;
    r.eccentricity = eccentricity;
    r.meanAnomaly = meanAnomaly;
    r.meanMotion = meanMotion;
    return r;
}

Satellite make(const TleRecord& r, bool debris = false) {
    return makeSatellite(r, std::nullopt, {"test"}, debris);
}

TEST(OrbitGeometry, AxesAndClassOfEachKindOfOrbit) {
    struct Case {
        float meanMotion, eccentricity, inclination;
        bool debris;
        std::int32_t expected;
    } cases[] = {
        {15.5f, 0.0f, 51.6f, false, OrbitClass::Leo},   {15.5f, 0.0f, 51.6f, true, OrbitClass::None},
        {2.0f, 0.01f, 55.0f, false, OrbitClass::Meo},   {1.0027379f, 0.0002f, 0.1f, false, OrbitClass::Geo},
        {2.00563f, 0.72f, 63.4f, false, OrbitClass::Elliptical},
        {2.00563f, 0.72f, 63.4f, true, OrbitClass::Elliptical},
    };
    for (const Case& c : cases) {
        const Satellite s = make(record(c.meanMotion, c.eccentricity, c.inclination), c.debris);
        const double a = keplerAxis(c.meanMotion), e = c.eccentricity;
        EXPECT_NEAR(s.semiMajorAxis, a, 1e-6 * a) << c.meanMotion;
        EXPECT_NEAR(s.semiMinorAxis, a * std::sqrt(1.0 - e * e), 1e-6 * a);
        EXPECT_NEAR(s.apogeeRadius, a * (1.0 + e), 1e-6 * a);
        EXPECT_NEAR(s.perigeeRadius, a * (1.0 - e), 1e-6 * a);
        EXPECT_EQ(s.orbitClass, c.expected) << c.meanMotion << " debris " << c.debris;
    }
    // The altitude and period windows at their edges.
    const float earth = 6371000.0f;
    EXPECT_EQ(classifyOrbit(earth + 1999999.0f, 6000.0f, 0.0f, false), OrbitClass::Leo);
    EXPECT_EQ(classifyOrbit(earth + 2000000.0f, 6000.0f, 0.0f, false), OrbitClass::Meo);
    EXPECT_EQ(classifyOrbit(earth + 3450000.0f, 88000.0f, 0.05f, false), OrbitClass::Geo);
    EXPECT_EQ(classifyOrbit(earth + 35786000.0f, 86000.0f, 0.0f, false), OrbitClass::Meo);
    EXPECT_EQ(classifyOrbit(earth + 3649999.0f, 40000.0f, 0.1f, false), OrbitClass::Meo);
}

// Independent closed form: node n = (sin R, 0, cos R); normal = +Y turned by i about n;
// perigee = n turned by w about the normal (Rodrigues' formula in double precision).
glm::dvec3 turn(const glm::dvec3& v, double angle, const glm::dvec3& axis) {
    return v * std::cos(angle) + glm::cross(axis, v) * std::sin(angle) +
           axis * glm::dot(axis, v) * (1.0 - std::cos(angle));
}

TEST(OrbitGeometry, OrbitAxes) {
    const double angles[][3] = {{0.0, 0.0, 0.0}, {0.3, 0.9, 1.2}, {2.5, 1.7, 4.0},
                                {5.9, 0.1, 0.0}, {1.0, 3.0, 2.0}, {0.0, 1.5707, 3.14}};
    for (const auto& a : angles) {
        const glm::dvec3 node(std::sin(a[0]), 0.0, std::cos(a[0]));
        const glm::dvec3 normal = turn(glm::dvec3(0, 1, 0), a[1], node);
        const glm::dvec3 perigee = turn(node, a[2], normal);
        const auto axes = orbitAxes(float(a[0]), float(a[1]), float(a[2]));
        EXPECT_NEAR(glm::distance(glm::dvec3(axes.first), perigee), 0.0, 1e-5);
        EXPECT_NEAR(glm::distance(glm::dvec3(axes.second), glm::cross(normal, perigee)), 0.0, 1e-5);
    }
}

TEST(OrbitGeometry, HeadAheadTrailBehindOneSegmentPerPair) {
    std::vector<OrbitVertex> vertices(3);  // records of another satellite before this one
    std::vector<std::uint32_t> segments;
    VertexRangeMap ranges;
    for (const bool debris : {false, true}) {
        const Satellite s = make(record(15.5f, 0.0f, 51.6f), debris);
        const auto base = static_cast<std::uint32_t>(vertices.size());
        buildOrbitVertices(vertices, segments, ranges, s, 7, debris ? 2 : 1);
        const int n = int(twoPi * keplerAxis(15.5) / 6378100.0);  // trail segments
        ASSERT_EQ(ranges.at(debris ? 2 : 1), VertexRange(base, base + 5 + n));
        const OrbitVertex* v = &vertices[base];
        EXPECT_EQ(v[0].strength, 0.0f);
        EXPECT_EQ(v[5].lead, 0.0f);  // the satellite itself, at full strength
        EXPECT_EQ(v[5].strength, 1.0f);
        EXPECT_FLOAT_EQ(v[5 + n].lead, -s.period * 0.1f);
        EXPECT_FLOAT_EQ(v[5 + n].strength, 0.2f);
        // The head reaches about 0.02 world units of travel ahead.
        EXPECT_NEAR(v[0].lead / s.period * twoPi * keplerAxis(15.5) / 6378100.0, 0.02, 1e-4);
        for (int i = 0; i <= 5 + n; ++i) {
            EXPECT_EQ(v[i].orbit, 7);
            EXPECT_EQ(v[i].show, 0);
            EXPECT_EQ(v[i].size, debris ? 0.005f : 0.01f);
            EXPECT_EQ(v[i].color.a, debris ? 0.5f : 1.0f);
            if (i > 0) {
                EXPECT_LT(v[i].lead, v[i - 1].lead);
            }
        }
    }
    ASSERT_EQ(segments.size(), 2 * (vertices.size() - 3 - 2));  // none between satellites
    for (std::size_t i = 0; i < segments.size(); i += 2) EXPECT_EQ(segments[i + 1], segments[i] + 1);
}

TEST(OrbitGeometry, SetsWithoutAClosedOrbitFailClearly) {
    struct Case {
        TleRecord r;
        const char* reason;
    } cases[] = {
        {record(0.0f, 0.0f), "mean motion"},          {record(NAN, 0.0f), "mean motion"},
        {record(1e-30f, 0.0f), "mean motion too small"}, {record(15.0f, 1.0f), "eccentricity"},
        {record(15.0f, -0.1f), "eccentricity"},       {record(15.0f, 0.0f, INFINITY), "angle"},
        {record(15.0f, 0.0f, 0.0f, NAN), "mean anomaly"},
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
    for (const double day : {1e9, -28.5, 367.0}) {
        TleRecord r = record(15.0f, 0.0f);
        r.epochDay = day;
        EXPECT_THROW(make(r), std::runtime_error) << day;
    }
}

TEST(OrbitGeometry, EpochsToTheMicrosecondWithFullYears) {
    struct Case {
        int year;
        double day;
        const char* expected;
    } cases[] = {{57, 277.80437500, "1957-10-04 19:18:18.000"}, {56, 1.5, "2056-01-01 12:00:00"},
                 {0, 366.0, "2000-12-31 00:00:00"}, {14, 325.12345678, "2014-11-21 02:57:46.665792"}};
    for (const Case& c : cases) {
        TleRecord r = record(15.0f, 0.0f);
        r.epochYear = c.year;
        r.epochDay = c.day;
        EXPECT_EQ(elementEpoch(r), time_from_string(c.expected)) << c.expected;
    }
}

// SGP4's positions (python3-sgp4, equatorial frame, km) of four embedded sets of
// 2014-11-21: where the two-body model was 76, 29, 26 and 74 km off after a day (and the
// ISS 776 km after three), the J2 drift keeps within the tolerances.
TEST(OrbitGeometry, J2DriftFollowsSgp4) {
    struct Case {
        const char* line1;
        const char* line2;
        double minutes, x, y, z, toleranceKm;
    } cases[] = {
        {"1 25544U 98067A   14325.00000000  .00006490  00000-0  10525-3 0  9990",
         "2 25544  51.6429  39.1105 0004559  30.4407 221.4174 15.54111847 84492", 1440,
         -2402.240, 3452.166, 5310.267, 13},
        {"1 25544U 98067A   14325.00000000  .00006490  00000-0  10525-3 0  9990",
         "2 25544  51.6429  39.1105 0004559  30.4407 221.4174 15.54111847 84492", 4320,
         -5145.979, 1339.686, 4202.063, 40},
        {"1 24876U 97035A   14325.00000000  .00000075  00000-0  00000-0 0  9998",
         "2 24876  55.5099 262.8471 0034717  70.4007 110.5137  2.00565175150388", 1440,
         2451.495, 26451.490, -1295.546, 25},
        {"1 07392U 74060A   14325.00000000 -.00000056  00000-0  00000+0 0  9994",
         "2 07392   8.7604 320.2054 0006031 146.2667  27.7843  1.00198728103388", 1440,
         -29826.484, 29794.525, 575.631, 31},
        {"1 07276U 74026A   14325.00000000  .00000137  00000-0 -68415-3 0  9995",
         "2 07276  62.8736 333.2232 6827707 279.8774  50.1009  2.45096043209914", 1440,
         -3234.617, 20196.086, 32257.921, 22},
    };
    for (const Case& c : cases) {
        const Satellite s = make(parseElementLines("", c.line1, c.line2));
        const glm::dvec3 p = positionAt(orbitMotion(s, s.epoch), c.minutes * 60.0) / 1000.0;
        // World (x, y, z) is the equatorial frame's (y, z, x).
        const double error = glm::distance(glm::dvec3(p.z, p.x, p.y), glm::dvec3(c.x, c.y, c.z));
        EXPECT_LT(error, c.toleranceKm) << c.line1 << " after " << c.minutes << " minutes";
    }
}

// The shader's single-precision arithmetic, fed by a state reduced in double precision near
// the present: 0.01 s steps a billion seconds on are distinct and evenly spaced.
TEST(OrbitGeometry, MotionIsSmoothAfterABillionSeconds) {
    const Satellite s = make(record(15.5f, 0.001f, 51.6f));
    const OrbitMotion motion = orbitMotion(s, SimulationClock::embeddedSkyStart());
    for (const double base : {0.0, 1e9}) {
        const OrbitState state = orbitStateAt(motion, base);
        std::vector<glm::vec3> at;
        for (int k = 0; k <= 20; ++k) at.push_back(orbitPosition(state, 0.0f, 0.01f * k));
        const float mean = glm::distance(at.front(), at.back()) / 20.0f;
        for (int k = 1; k <= 20; ++k) {
            EXPECT_NEAR(glm::distance(at[k], at[k - 1]), mean, 0.15f * mean) << base << " " << k;
        }
        const glm::dvec3 exact = positionAt(motion, base + 0.2) * double(orbit::sceneScale);
        EXPECT_LT(glm::distance(glm::dvec3(at.back()), exact), 1e-5) << base;
    }
}

TEST(SimulationClock, StartInstantAndPresent) {
    SimulationClock clock(time_from_string("2025-03-01 12:00:00"));
    EXPECT_EQ(SimulationClock().epoch(), time_from_string("2014-11-21 00:00:00"));
    clock.advance(1e9);
    clock.advance(0.25);
    EXPECT_EQ(clock.time(), 1e9 + 0.25);
    EXPECT_EQ(clock.now(), time_from_string("2056-11-07 13:46:40.250"));
    EXPECT_NEAR(clock.secondsUntil(time_from_string("2025-03-02 12:00:00")), 86400.0 - 1e9 - 0.25,
                1e-6);
}

}  // namespace
}  // namespace earth
