#pragma once
// Orbit quantities of a satellite, its secular drift under the Earth's oblateness (J2), and
// the records with which the renderer propagates every satellite on the graphics processor.

#include "data/CatalogueReader.h"
#include "data/Satellite.h"
#include "data/TleReader.h"

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace earth {

namespace orbit {
constexpr float gravitationalParameter = 398600446148608.0f;  // m^3/s^2
constexpr float pi = 3.1415927f;
constexpr float secondsPerDay = 86400.0f;
constexpr float altitudeRadius = 6371000.0f;  // metres; only for the orbit class
constexpr float earthRadius = 6378100.0f;     // metres in one world unit
constexpr float sceneScale = 1.0f / earthRadius;  // world units per metre
constexpr float baseSize = 0.01f;             // tube radius, world units
constexpr int headVertices = 5;
constexpr int maxTrailSegments = 65536;  // bound for absurdly large orbits
// The oblateness term and equatorial radius with which the public element sets are fitted.
constexpr double j2 = 1.082616e-3;
constexpr double j2Radius = 6378135.0;  // metres
}  // namespace orbit

// One vertex of the satellite renderer's buffer; the layout is shared with the shader
// "orbit-position.csh". The orbit itself is per satellite (OrbitState), so that the records
// never change as time goes on.
struct OrbitVertex {
    glm::vec4 color;     // "aColor"
    float lead;          // "aLead", seconds this vertex is ahead of the satellite on its orbit
    float strength;      // "aStrength", 0 to 1
    float size;          // "aSize", world units at strength 1
    std::int32_t show;   // "aShow", 0 hidden
    std::int32_t orbit;  // "aOrbit", index of the satellite's OrbitState
};

static_assert(sizeof(OrbitVertex) == 36, "OrbitVertex layout is shared with the shader");
static_assert(offsetof(OrbitVertex, color) == 0, "aColor");
static_assert(offsetof(OrbitVertex, lead) == 16, "aLead");
static_assert(offsetof(OrbitVertex, strength) == 20, "aStrength");
static_assert(offsetof(OrbitVertex, size) == 24, "aSize");
static_assert(offsetof(OrbitVertex, show) == 28, "aShow");
static_assert(offsetof(OrbitVertex, orbit) == 32, "aOrbit");

// A satellite's orbit as the shader reads it (three RGBA texels of a buffer texture), at a
// base instant that the renderer keeps near the present time.
struct OrbitState {
    float meanAnomaly;        // radians at the base, 0 to 2 pi
    float raan;               // radians at the base, 0 to 2 pi
    float argumentOfPerigee;  // radians at the base, 0 to 2 pi
    float inclination;        // radians
    float meanMotion;         // radians per second, rate of the mean anomaly
    float raanRate;           // radians per second
    float perigeeRate;        // radians per second
    float eccentricity;
    float semiMajorAxis;  // world units
    float semiMinorAxis;  // world units
    float unused[2];
};
static_assert(sizeof(OrbitState) == 48, "three RGBA32F texels per satellite");

// The propagation's view of a satellite in double precision: its elements at the element
// epoch and their drift.
struct OrbitMotion {
    double epoch;  // seconds of the clock at the element epoch (negative before the start)
    double meanAnomaly, raan, argumentOfPerigee;  // radians at the epoch
    double meanMotion, raanRate, perigeeRate;     // radians per second
    double inclination, eccentricity;
    double semiMajorAxis, semiMinorAxis;  // metres
};

// Mean-anomaly, node and perigee rates of an orbit; radians per second.
struct SecularRates {
    double meanMotion = 0.0;
    double raan = 0.0;
    double perigee = 0.0;
};

// First-order secular rates under J2 for a set's mean motion (revolutions per day, the
// element sets' own "Kozai" value), eccentricity and inclination (radians). Where the
// first-order theory does not hold (a correction over 10 per cent: orbits that graze or
// cross the Earth), the two-body rates.
SecularRates j2Rates(double revolutionsPerDay, double eccentricity, double inclination);
// Two-body motion: the mean anomaly at the set's mean motion, a fixed plane and perigee.
SecularRates keplerRates(double revolutionsPerDay);

// The element epoch as an instant, to the microsecond.
boost::posix_time::ptime elementEpoch(const TleRecord& record);

// Throws "Invalid orbit of satellite N: <reason>" for a set that describes no closed orbit
// (mean motion not positive, eccentricity outside [0, 1), values that are not finite) or
// whose epoch lies outside its year.
void checkElementSet(const TleRecord& record);

// Builds the satellite of one element set (checked with checkElementSet).
Satellite makeSatellite(const TleRecord& record, const std::optional<CatalogueRecord>& row,
                        std::vector<std::string> categories, bool isDebris);

// Orbit class from the apogee altitude above 6 371 km, the period and the eccentricity.
std::int32_t classifyOrbit(float apogeeRadius, float period, float eccentricity, bool isDebris);

// Orbit frame: unit vectors towards the perigee and 90 degrees ahead of it (world frame:
// +Y north, the node of right ascension 0 on +Z), in closed form as the shader has it.
std::pair<glm::vec3, glm::vec3> orbitAxes(float raan, float inclination,
                                          float argumentOfPerigee);

OrbitMotion orbitMotion(const Satellite& satellite, const boost::posix_time::ptime& clockStart);
// The orbit at clock time `seconds`, reduced in double precision to what the shader needs.
OrbitState orbitStateAt(const OrbitMotion& motion, double seconds);
// Position at clock time `seconds`, metres, world frame; Kepler's equation solved to
// round-off. The reference that the shader's single-precision result is held against.
glm::dvec3 positionAt(const OrbitMotion& motion, double seconds);

// Appends the satellite's head and trail vertices and their segments (index pairs, ready
// for GL_LINES), and records its vertex range under the catalogue number.
using VertexRange = std::pair<std::uint32_t, std::uint32_t>;  // first and last, inclusive
using VertexRangeMap = std::map<std::int32_t, VertexRange>;
void buildOrbitVertices(std::vector<OrbitVertex>& vertices, std::vector<std::uint32_t>& segments,
                        VertexRangeMap& ranges, const Satellite& satellite,
                        std::int32_t orbitIndex, std::int32_t catalogNumber);

// The position the orbit-position shader computes for a vertex `lead` seconds ahead of the
// satellite, `shaderTime` seconds after the state's base, in single precision like the
// shader (world units).
glm::vec3 orbitPosition(const OrbitState& state, float lead, float shaderTime);

}  // namespace earth
