#pragma once
// Orbit quantities of a satellite and the per-vertex records with which the renderer
// propagates every satellite on the graphics processor.

#include "data/CatalogueReader.h"
#include "data/Satellite.h"
#include "data/SimulationClock.h"
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
}  // namespace orbit

// One vertex of the satellite renderer's buffer; the layout is shared with the shaders.
struct OrbitVertex {
    glm::vec3 center;     // "aCenter", world units
    glm::vec3 majorAxis;  // "aMajorAxis", unit vector towards the perigee
    glm::vec3 minorAxis;  // "aMinorAxis", unit vector 90 degrees ahead
    float padding[3];     // not read by the shader
    glm::vec4 color;      // "aColor"
    float semiMajorAxis;  // "aSemiMajorAxis", world units
    float semiMinorAxis;  // "aSemiMinorAxis", world units
    float eccentricity;   // "aEccentricity"
    float phase;          // "aPhase", seconds; perigee passage modulo the period
    float period;         // "aPeriod", seconds
    float strength;       // "aStrength", 0 to 1
    float size;           // "aSize", world units at strength 1
    std::int32_t show;    // "aShow", 0 hidden
};

static_assert(sizeof(OrbitVertex) == 96, "OrbitVertex layout is shared with the shaders");
static_assert(offsetof(OrbitVertex, center) == 0, "aCenter");
static_assert(offsetof(OrbitVertex, majorAxis) == 12, "aMajorAxis");
static_assert(offsetof(OrbitVertex, minorAxis) == 24, "aMinorAxis");
static_assert(offsetof(OrbitVertex, color) == 48, "aColor");
static_assert(offsetof(OrbitVertex, semiMajorAxis) == 64, "aSemiMajorAxis");
static_assert(offsetof(OrbitVertex, semiMinorAxis) == 68, "aSemiMinorAxis");
static_assert(offsetof(OrbitVertex, eccentricity) == 72, "aEccentricity");
static_assert(offsetof(OrbitVertex, phase) == 76, "aPhase");
static_assert(offsetof(OrbitVertex, period) == 80, "aPeriod");
static_assert(offsetof(OrbitVertex, strength) == 84, "aStrength");
static_assert(offsetof(OrbitVertex, size) == 88, "aSize");
static_assert(offsetof(OrbitVertex, show) == 92, "aShow");

// First and last vertex index (both inclusive) of one satellite.
using VertexRange = std::pair<std::uint32_t, std::uint32_t>;
using VertexRangeMap = std::map<std::int32_t, VertexRange>;

// Instant of the perigee passage at or before the element epoch (not reduced by periods).
boost::posix_time::ptime perigeePassage(const TleRecord& record, float period);

// Builds the satellite of one element set. Element sets that describe no closed orbit
// (mean motion not positive, eccentricity outside [0, 1), values that are not finite)
// fail with "Invalid orbit of satellite N: <reason>".
Satellite makeSatellite(const TleRecord& record, const std::optional<CatalogueRecord>& row,
                        std::vector<std::string> categories, bool isDebris);

// Seconds of simulation time at which the satellite passes its perigee, within one period
// of the clock's present time. Reduced by whole periods in double precision before it is
// narrowed, so a set from decades ago keeps sub-millisecond resolution.
float satellitePhase(const SimulationClock& clock, const Satellite& satellite);

// Orbit class from the apogee altitude above 6 371 km, the period and the eccentricity.
std::int32_t classifyOrbit(float apogeeRadius, float period, float eccentricity, bool isDebris);

// Orbit frame: unit vectors towards the perigee and 90 degrees ahead of it (world frame).
std::pair<glm::vec3, glm::vec3> orbitAxes(float raan, float inclination,
                                          float argumentOfPerigee);

// Appends the satellite's head and trail vertices and their segments (index pairs, ready
// for GL_LINES), and records its vertex range under the catalogue number.
void buildOrbitVertices(std::vector<OrbitVertex>& vertices, std::vector<std::uint32_t>& segments,
                        VertexRangeMap& ranges, const Satellite& satellite, float phase,
                        std::int32_t catalogNumber);

// The position the orbit-position shader computes for a vertex at simulation time uTime,
// in single precision like the shader (world units).
glm::vec3 orbitPosition(const OrbitVertex& vertex, float uTime);

}  // namespace earth
