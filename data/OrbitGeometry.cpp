#include "data/OrbitGeometry.h"

#include "data/ClassColours.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace earth {
namespace {

constexpr double pi = 3.141592653589793;
constexpr double twoPi = 2.0 * pi;
constexpr double mu = 3.986004418e14;  // m^3/s^2, for the rates in double precision

[[noreturn]] void invalidOrbit(const TleRecord& record, const std::string& reason) {
    throw std::runtime_error("Invalid orbit of satellite " +
                             std::to_string(record.catalogNumber) + ": " + reason);
}

// An angle reduced to [0, 2 pi) without fmod's cost: the quotient of even 1e9 s of drift is
// far inside double precision.
double reduced(double angle) {
    const double r = angle - twoPi * std::floor(angle / twoPi);
    return r >= twoPi ? 0.0 : r;
}

// Newton from E = M for E - e sin E = M.
template <typename Real>
Real eccentricAnomaly(Real meanAnomaly, Real e, Real tolerance, int maxSteps) {
    Real anomaly = meanAnomaly;
    for (int step = 0; step < maxSteps; ++step) {
        const Real next = anomaly - (anomaly - e * std::sin(anomaly) - meanAnomaly) /
                                        (Real(1) - e * std::cos(anomaly));
        const bool done = std::fabs(next - anomaly) <= tolerance;
        anomaly = next;
        if (done) break;
    }
    return anomaly;
}

// Perigee direction P and the direction 90 degrees ahead Q: the equatorial frame's
// (x, y, z) is the world's (z, x, y).
template <typename Vec, typename Real>
std::pair<Vec, Vec> axesOf(Real raan, Real inclination, Real argument) {
    const Real cO = std::cos(raan), sO = std::sin(raan);
    const Real cw = std::cos(argument), sw = std::sin(argument);
    const Real ci = std::cos(inclination), si = std::sin(inclination);
    const Vec p(sO * cw + cO * sw * ci, sw * si, cO * cw - sO * sw * ci);
    const Vec q(-sO * sw + cO * cw * ci, cw * si, -cO * sw - sO * cw * ci);
    return {p, q};
}

// Kepler's third law in single precision, the cube root taken with the single-precision
// one third.
float semiMajorAxisOf(float period) {
    const float periodSquared = static_cast<float>(std::pow(static_cast<double>(period), 2.0));
    const float piSquared = static_cast<float>(std::pow(static_cast<double>(orbit::pi), 2.0));
    const float cube = periodSquared * orbit::gravitationalParameter / (piSquared * 4.0f);
    return static_cast<float>(
        std::pow(static_cast<double>(cube), static_cast<double>(1.0f / 3.0f)));
}

}  // namespace

SecularRates keplerRates(double revolutionsPerDay) {
    return SecularRates{revolutionsPerDay * twoPi / 86400.0, 0.0, 0.0};
}

SecularRates j2Rates(double revolutionsPerDay, double eccentricity, double inclination) {
    const double n0 = revolutionsPerDay * twoPi / 86400.0;
    const double cosI = std::cos(inclination);
    const double theta2 = cosI * cosI;
    const double beta2 = 1.0 - eccentricity * eccentricity;
    const double beta = std::sqrt(beta2);
    // The sets' mean motion is Kozai's: recover Brouwer's mean motion and axis from it.
    const double k = 0.75 * orbit::j2 * (3.0 * theta2 - 1.0) / (beta2 * beta);
    const double a1 = std::cbrt(mu / (n0 * n0));
    const double d1 = k * std::pow(orbit::j2Radius / a1, 2.0);
    const double a0 = a1 * (1.0 - d1 / 3.0 - d1 * d1 - 134.0 / 81.0 * d1 * d1 * d1);
    const double d0 = k * std::pow(orbit::j2Radius / a0, 2.0);
    const double n = n0 / (1.0 + d0);
    const double p = a0 / (1.0 - d0) * beta2;  // semi-latus rectum
    const double f = 1.5 * orbit::j2 * std::pow(orbit::j2Radius / p, 2.0) * n;
    SecularRates rates;
    rates.raan = -f * cosI;
    rates.perigee = 0.5 * f * (5.0 * theta2 - 1.0);
    rates.meanMotion = n + 0.5 * f * beta * (3.0 * theta2 - 1.0);
    // A geosynchronous set's mean motion is fitted through the deep-space theory's lunar,
    // solar and resonance terms, which take back most of J2's drift of the mean longitude:
    // there the longitude keeps the set's own rate and J2 only turns the node and perigee
    // (measured against SGP4 in bench/README.md).
    const double period = twoPi / n0;
    if (period > 1200.0 * 60.0 && period < 1800.0 * 60.0) {
        rates.meanMotion = n0 - rates.raan - rates.perigee;
    }
    const bool valid = std::fabs(d1) < 0.1 && std::fabs(d0) < 0.1 &&
                       std::isfinite(rates.raan) && std::isfinite(rates.perigee) &&
                       std::isfinite(rates.meanMotion) && rates.meanMotion > 0.0;
    return valid ? rates : keplerRates(revolutionsPerDay);
}

boost::posix_time::ptime elementEpoch(const TleRecord& record) {
    const int year = fullEpochYear(record.epochYear);
    boost::posix_time::ptime instant(boost::gregorian::date(year - 1, 12, 31));
    const double whole = std::floor(record.epochDay);
    instant += boost::gregorian::days(static_cast<long>(whole));
    instant += boost::posix_time::microseconds(
        std::llround((record.epochDay - whole) * 86400.0 * 1e6));
    return instant;
}

void checkElementSet(const TleRecord& record) {
    if (!std::isfinite(record.meanMotion) || record.meanMotion <= 0.0f) {
        invalidOrbit(record, "mean motion must be a positive number of revolutions per day");
    }
    const float period = 1.0f / record.meanMotion * orbit::secondsPerDay;
    const float a = semiMajorAxisOf(period);
    if (!std::isfinite(period) || !std::isfinite(a) || a <= 0.0f) {
        invalidOrbit(record, "mean motion too small for a finite orbit");
    }
    if (!std::isfinite(record.eccentricity) || record.eccentricity < 0.0f ||
        record.eccentricity >= 1.0f) {
        invalidOrbit(record, "eccentricity outside 0 to 1 (no closed orbit)");
    }
    if (!std::isfinite(record.inclination) || !std::isfinite(record.raan) ||
        !std::isfinite(record.argumentOfPerigee)) {
        invalidOrbit(record, "orientation angle is not a number");
    }
    if (!std::isfinite(record.meanAnomaly)) {
        invalidOrbit(record, "mean anomaly is not a number");
    }
    if (record.epochYear < 0 || record.epochYear > 99) {
        invalidOrbit(record, "epoch year outside 0 to 99");
    }
    if (!std::isfinite(record.epochDay) || record.epochDay < 0.0 || record.epochDay >= 367.0) {
        invalidOrbit(record, "epoch day outside 0 to 367");
    }
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
    return axesOf<glm::vec3>(raan, inclination, argumentOfPerigee);
}

Satellite makeSatellite(const TleRecord& record, const std::optional<CatalogueRecord>& row,
                        std::vector<std::string> categories, bool isDebris) {
    checkElementSet(record);

    Satellite satellite;
    satellite.name = record.name;
    satellite.catalogNumber = record.catalogNumber;
    satellite.categories = std::move(categories);

    const float period = 1.0f / record.meanMotion * orbit::secondsPerDay;
    const float a = semiMajorAxisOf(period);
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
    satellite.epoch = elementEpoch(record);
    satellite.meanAnomaly = static_cast<double>(record.meanAnomaly) / 180.0 * pi;
    const SecularRates rates = j2Rates(record.meanMotion, e, satellite.inclination);
    satellite.meanMotion = rates.meanMotion;
    satellite.raanRate = rates.raan;
    satellite.perigeeRate = rates.perigee;
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

OrbitMotion orbitMotion(const Satellite& satellite, const boost::posix_time::ptime& clockStart) {
    OrbitMotion m;
    m.epoch = static_cast<double>((satellite.epoch - clockStart).total_microseconds()) / 1e6;
    m.meanAnomaly = satellite.meanAnomaly;
    m.raan = satellite.raan;
    m.argumentOfPerigee = satellite.argumentOfPerigee;
    m.meanMotion = satellite.meanMotion;
    m.raanRate = satellite.raanRate;
    m.perigeeRate = satellite.perigeeRate;
    m.inclination = satellite.inclination;
    m.eccentricity = satellite.eccentricity;
    m.semiMajorAxis = satellite.semiMajorAxis;
    m.semiMinorAxis = satellite.semiMinorAxis;
    return m;
}

OrbitState orbitStateAt(const OrbitMotion& m, double seconds) {
    const double since = seconds - m.epoch;
    OrbitState s{};
    s.meanAnomaly = static_cast<float>(reduced(m.meanAnomaly + m.meanMotion * since));
    s.raan = static_cast<float>(reduced(m.raan + m.raanRate * since));
    s.argumentOfPerigee = static_cast<float>(reduced(m.argumentOfPerigee + m.perigeeRate * since));
    s.inclination = static_cast<float>(m.inclination);
    s.meanMotion = static_cast<float>(m.meanMotion);
    s.raanRate = static_cast<float>(m.raanRate);
    s.perigeeRate = static_cast<float>(m.perigeeRate);
    s.eccentricity = static_cast<float>(m.eccentricity);
    s.semiMajorAxis = static_cast<float>(m.semiMajorAxis) * orbit::sceneScale;
    s.semiMinorAxis = static_cast<float>(m.semiMinorAxis) * orbit::sceneScale;
    return s;
}

glm::dvec3 positionAt(const OrbitMotion& m, double seconds) {
    const double since = seconds - m.epoch;
    const double meanAnomaly = reduced(m.meanAnomaly + m.meanMotion * since);
    const auto [p, q] = axesOf<glm::dvec3>(m.raan + m.raanRate * since, m.inclination,
                                           m.argumentOfPerigee + m.perigeeRate * since);
    const double e = m.eccentricity;
    const double anomaly = eccentricAnomaly(meanAnomaly, e, 1e-14, 100);
    return m.semiMajorAxis * (std::cos(anomaly) - e) * p +
           m.semiMinorAxis * std::sin(anomaly) * q;
}

void buildOrbitVertices(std::vector<OrbitVertex>& vertices, std::vector<std::uint32_t>& segments,
                        VertexRangeMap& ranges, const Satellite& satellite,
                        std::int32_t orbitIndex, std::int32_t catalogNumber) {
    const float s = orbit::sceneScale;
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
    vertex.color = color;
    vertex.size = size;
    vertex.show = 0;
    vertex.orbit = orbitIndex;

    const auto base = static_cast<std::uint32_t>(vertices.size());
    for (int k = orbit::headVertices; k >= 1; --k) {
        const float x = static_cast<float>(k) / static_cast<float>(orbit::headVertices);
        vertex.lead = x * headSpacing;
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
        vertex.lead = -satellite.period * 0.1f * x;
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

glm::vec3 orbitPosition(const OrbitState& state, float lead, float shaderTime) {
    constexpr float twoPiF = 6.2831853f;
    float meanAnomaly = state.meanAnomaly + state.meanMotion * (shaderTime + lead);
    meanAnomaly -= twoPiF * std::floor(meanAnomaly / twoPiF);
    const float raan = state.raan + state.raanRate * shaderTime;
    const float argument = state.argumentOfPerigee + state.perigeeRate * shaderTime;
    const auto [p, q] = orbitAxes(raan, state.inclination, argument);
    // The shader's threshold; the bound only guards the loop against corrupt values.
    const float anomaly = eccentricAnomaly(meanAnomaly, state.eccentricity, 0.001f, 100);
    const glm::vec3 centre = -state.semiMajorAxis * state.eccentricity * p;
    return centre + state.semiMajorAxis * std::cos(anomaly) * p +
           state.semiMinorAxis * std::sin(anomaly) * q;
}

}  // namespace earth
