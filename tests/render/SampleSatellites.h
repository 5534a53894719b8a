#pragma once
// A small catalogue of the orbit shapes the renderer must handle (below), with sets from long
// before and after the clock's epoch and two identical orbits under different numbers.

#include "data/OrbitGeometry.h"
#include "data/Satellite.h"
#include "data/TleReader.h"

#include <optional>
#include <vector>

namespace earth::test {

inline Satellite sampleSatellite(int number, float meanMotion, float eccentricity, float inclination,
                                 float raan, float argumentOfPerigee, float meanAnomaly,
                                 bool debris = false, int year = 14, float day = 324.5f) {
    TleRecord r;
    r.name = "SAT " + std::to_string(number);
    r.catalogNumber = number;
    r.epochYear = year, r.epochDay = day, r.meanMotion = meanMotion, r.eccentricity = eccentricity;
    r.inclination = inclination, r.raan = raan, r.argumentOfPerigee = argumentOfPerigee;
    r.meanAnomaly = meanAnomaly;
    return makeSatellite(r, std::nullopt, {"test"}, debris);
}

// Ascending catalogue numbers, like the real catalogue.
inline std::vector<Satellite> sampleCatalogue() {
    return {
        sampleSatellite(5, 14.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f),                  // circle, all 0
        sampleSatellite(11, 15.5f, 0.0005f, 51.6f, 200.0f, 80.0f, 30.0f),         // low
        sampleSatellite(22, 2.0056f, 0.01f, 55.0f, 100.0f, 20.0f, 100.0f),        // medium
        sampleSatellite(33, 1.0027379f, 0.0002f, 0.05f, 80.0f, 270.0f, 10.0f),    // geosync.
        sampleSatellite(44, 2.006f, 0.74f, 63.4f, 300.0f, 270.0f, 350.0f),        // Molniya
        sampleSatellite(55, 1.5f, 0.9f, 20.0f, 10.0f, 45.0f, 5.0f),               // very eccentric
        sampleSatellite(66, 14.2f, 0.001f, 98.7f, 150.0f, 90.0f, 200.0f),         // retrograde
        sampleSatellite(77, 14.8f, 0.01f, 74.0f, 30.0f, 10.0f, 60.0f, true),      // debris
        sampleSatellite(88, 13.0f, 0.02f, 30.0f, 60.0f, 120.0f, 90.0f, false, 98, 100.2f),
        sampleSatellite(99, 12.0f, 0.05f, 40.0f, 250.0f, 200.0f, 180.0f, false, 14, 340.75f),
        sampleSatellite(70001, 9.0f, 0.1f, 45.0f, 45.0f, 45.0f, 45.0f),
        sampleSatellite(70002, 9.0f, 0.1f, 45.0f, 45.0f, 45.0f, 45.0f),
    };
}

}  // namespace earth::test
