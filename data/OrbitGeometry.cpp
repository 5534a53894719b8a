#include "data/OrbitGeometry.h"

#include "data/ClassColours.h"

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/mat4x4.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace earth {
namespace {

using boost::posix_time::microseconds;

[[noreturn]] void invalidOrbit(const TleRecord& record, const std::string& reason) {
    throw std::runtime_error("Invalid orbit of satellite " +
                             std::to_string(record.catalogNumber) + ": " + reason);
}

// Offsets beyond this many milliseconds (about 31 years) would leave the date range.
constexpr double maxOffsetMilliseconds = 1e12;

void checkEpoch(const TleRecord& record) {
    if (record.epochYear < 0 || record.epochYear > 99) {
        invalidOrbit(record, "epoch year outside 0 to 99");
    }
    if (!std::isfinite(record.epochDay) || record.epochDay < 0.0f ||
        record.epochDay >= 367.0f) {
        invalidOrbit(record, "epoch day outside 0 to 367");
    }
    if (!std::isfinite(record.meanAnomaly)) {
        invalidOrbit(record, "mean anomaly is not a number");
    }
}

glm::vec3 rotate(const glm::vec3& v, float angle, const glm::vec3& axis) {
    return glm::vec3(glm::rotate(glm::mat4(1.0f), angle, axis) * glm::vec4(v, 0.0f));
}

}  // namespace

boost::posix_time::ptime perigeePassage(const TleRecord& record, float period) {
    checkEpoch(record);
    const int year = record.epochYear + (record.epochYear < 50 ? 2000 : 1900);
    boost::posix_time::ptime instant(boost::gregorian::date(year - 1, 12, 31));
    instant += boost::gregorian::days(static_cast<long>(std::floor(record.epochDay)));

    const float fractionMs = std::fmod(record.epochDay, 1.0f) * 86400000.0f;
    instant += microseconds(static_cast<std::int64_t>(fractionMs) * 1000);

    const float anomalyMs = record.meanAnomaly / 360.0f * period * 1000.0f;
    if (!std::isfinite(anomalyMs) || std::fabs(anomalyMs) > maxOffsetMilliseconds) {
        invalidOrbit(record, "perigee passage too far from the epoch");
    }
    instant -= microseconds(static_cast<std::int64_t>(anomalyMs) * 1000);
    return instant;
}

std::int32_t classifyOrbit(float apogeeRadius, float period, float eccentricity, bool isDebris) {
    const float apogeeAltitude = apogeeRadius - orbit::altitudeRadius;
    const double e = eccentricity;
    if (apogeeAltitude < 2000000.0f && !isDebris) {
        return OrbitClass::Leo;
    }
    if (apogeeAltitude >= 3450000.0f && period > 86000.0f && period < 91000.0f && e <= 0.0999) {
        return OrbitClass::Geo;
    }
    if (apogeeAltitude >= 3650000.0f && e > 0.0999) {
        return OrbitClass::Elliptical;
    }
    return isDebris ? OrbitClass::None : OrbitClass::Meo;
}

std::pair<glm::vec3, glm::vec3> orbitAxes(float raan, float inclination,
                                          float argumentOfPerigee) {
    const glm::vec3 north(0.0f, 1.0f, 0.0f);
    const glm::vec3 node = rotate(glm::vec3(1.0f, 0.0f, 0.0f), raan, north);
    const glm::vec3 q = rotate(glm::vec3(0.0f, 0.0f, -1.0f), raan, north);
    const glm::vec3 m = rotate(node, -inclination, q);
    const glm::vec3 normal = glm::cross(m, q);
    const float angle = argumentOfPerigee - 1.5707964f;
    return {rotate(m, angle, normal), rotate(q, angle, normal)};
}

Satellite makeSatellite(const TleRecord& record, const std::optional<CatalogueRecord>& row,
                        std::vector<std::string> categories, bool isDebris) {
    if (!std::isfinite(record.meanMotion) || record.meanMotion <= 0.0f) {
        invalidOrbit(record, "mean motion must be a positive number of revolutions per day");
    }
    if (!std::isfinite(record.eccentricity) || record.eccentricity < 0.0f ||
        record.eccentricity >= 1.0f) {
        invalidOrbit(record, "eccentricity outside 0 to 1 (no closed orbit)");
    }
    if (!std::isfinite(record.inclination) || !std::isfinite(record.raan) ||
        !std::isfinite(record.argumentOfPerigee)) {
        invalidOrbit(record, "orientation angle is not a number");
    }
    checkEpoch(record);

    Satellite satellite;
    satellite.name = record.name;
    satellite.catalogNumber = record.catalogNumber;
    satellite.categories = std::move(categories);

    const float period = 1.0f / record.meanMotion * orbit::secondsPerDay;
    const float periodSquared = static_cast<float>(std::pow(static_cast<double>(period), 2.0));
    const float piSquared = static_cast<float>(std::pow(static_cast<double>(orbit::pi), 2.0));
    const float cube = periodSquared * orbit::gravitationalParameter / (piSquared * 4.0f);
    const float a = static_cast<float>(
        std::pow(static_cast<double>(cube), static_cast<double>(1.0f / 3.0f)));
    if (!std::isfinite(period) || !std::isfinite(a) || a <= 0.0f) {
        invalidOrbit(record, "mean motion too small for a finite orbit");
    }
    const float e = record.eccentricity;
    const float b = a * static_cast<float>(
                            std::sqrt(1.0 - std::pow(static_cast<double>(e), 2.0)));

    satellite.period = period;
    satellite.eccentricity = e;
    satellite.inclination = record.inclination / 180.0f * orbit::pi;
    satellite.raan = record.raan / 180.0f * orbit::pi;
    satellite.argumentOfPerigee = record.argumentOfPerigee / 180.0f * orbit::pi;
    satellite.semiMajorAxis = a;
    satellite.semiMinorAxis = b;
    satellite.apogeeRadius = a * (1.0f + e);
    satellite.perigeeRadius = a * (1.0f - e);
    satellite.perigeeTime = perigeePassage(record, period);
    if (row) {
        satellite.country = row->country;
        satellite.users = row->users;
        satellite.purpose = row->purpose;
        satellite.mass = row->mass;
        satellite.massAtLaunch = row->massAtLaunch;
        satellite.launchDate = row->launchDate;
    }
    satellite.isDebris = isDebris;
    satellite.orbitClass = classifyOrbit(satellite.apogeeRadius, period, e, isDebris);
    return satellite;
}

float satellitePhase(const SimulationClock& clock, const Satellite& satellite) {
    const double seconds = clock.secondsUntil(satellite.perigeeTime);
    return static_cast<float>(std::fmod(seconds, static_cast<double>(satellite.period)));
}

void buildOrbitVertices(std::vector<OrbitVertex>& vertices, std::vector<std::uint32_t>& segments,
                        VertexRangeMap& ranges, const Satellite& satellite, float phase,
                        std::int32_t catalogNumber) {
    const float s = orbit::sceneScale;
    const auto axes = orbitAxes(satellite.raan, satellite.inclination,
                                satellite.argumentOfPerigee);
    const glm::vec3& major = axes.first;
    const glm::vec3 centre = satellite.perigeeRadius * major -
                             ((satellite.apogeeRadius + satellite.perigeeRadius) * 0.5f) * major;

    const glm::vec4 color = satellite.isDebris ? colours::debris : colours::leo;
    const float size = satellite.isDebris ? orbit::baseSize * 0.5f : orbit::baseSize;

    const float a = satellite.semiMajorAxis;
    const float b = satellite.semiMinorAxis;
    const float meanRadius = static_cast<float>(std::sqrt(
        (static_cast<float>(std::pow(static_cast<double>(a), 2.0)) +
         static_cast<float>(std::pow(static_cast<double>(b), 2.0))) * 0.5f));
    const float circumference = meanRadius * 2.0f * orbit::pi * s;
    const float headSpacing = (0.02f / circumference) * satellite.period;

    OrbitVertex vertex{};
    vertex.center = centre * s;
    vertex.majorAxis = major;
    vertex.minorAxis = axes.second;
    vertex.color = color;
    vertex.semiMajorAxis = a * s;
    vertex.semiMinorAxis = b * s;
    vertex.eccentricity = satellite.eccentricity;
    vertex.period = satellite.period;
    vertex.size = size;
    vertex.show = 0;

    const auto base = static_cast<std::uint32_t>(vertices.size());
    for (int k = orbit::headVertices; k >= 1; --k) {
        const float x = static_cast<float>(k) / static_cast<float>(orbit::headVertices);
        vertex.phase = phase - x * headSpacing;
        vertex.strength = std::sqrt(1.0f - x * x);
        vertices.push_back(vertex);
    }

    // At least one trail segment, so that tiny orbits do not divide by zero, and a bound
    // for absurdly large ones.
    const float trailLength = circumference * 0.1f * 10.0f;
    const int n = trailLength >= static_cast<float>(orbit::maxTrailSegments)
                      ? orbit::maxTrailSegments
                      : std::max(1, static_cast<int>(trailLength));
    for (int j = 0; j <= n; ++j) {
        const float x = static_cast<float>(j) / static_cast<float>(n);
        vertex.phase = phase + satellite.period * 0.1f * x;
        vertex.strength = std::clamp(std::pow(1.0f - x, 10.0f) + 0.2f, 0.0f, 1.0f);
        vertices.push_back(vertex);
    }

    const auto last = static_cast<std::uint32_t>(vertices.size() - 1);
    for (std::uint32_t i = base + 1; i <= last; ++i) {
        segments.push_back(i - 1);
        segments.push_back(i);
    }
    ranges[catalogNumber] = VertexRange(base, last);
}

glm::vec3 orbitPosition(const OrbitVertex& vertex, float uTime) {
    const float t = (uTime - vertex.phase) / vertex.period;
    const float meanAnomaly = (t - std::floor(t)) * 2.0f * orbit::pi;
    float e0 = meanAnomaly;
    // Newton's method converges for every closed orbit; the bound only guards the loop.
    for (int step = 0; step < 64; ++step) {
        const float e1 = e0 - (e0 - vertex.eccentricity * std::sin(e0) - meanAnomaly) /
                                  (1.0f - vertex.eccentricity * std::cos(e0));
        const bool done = std::fabs(e1 - e0) <= 0.001f;
        e0 = e1;
        if (done) {
            break;
        }
    }
    return vertex.center + vertex.semiMajorAxis * std::cos(e0) * vertex.majorAxis +
           vertex.semiMinorAxis * std::sin(e0) * vertex.minorAxis;
}

}  // namespace earth
