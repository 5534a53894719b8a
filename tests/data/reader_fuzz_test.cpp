// Mutated input must end in a record or an exception, never a crash or a non-finite vertex.
// Run long with ORBITARIUM_FUZZ_ITERATIONS=200000 in a -DORBITARIUM_SANITIZE=ON build.
#include "data/CatalogueReader.h"
#include "data/OrbitGeometry.h"
#include "data/TleReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>

namespace earth {
namespace {

const std::string validSet =
    "ISS (ZARYA)\r\n"
    "1 25544U 98067A   14328.50000000  .00016717  00000-0  10270-3 0  9005\r\n"
    "2 25544  51.6416 247.4627 0006703 130.5360 325.0288 15.72125391563537\r\n";
const std::string validRows =
    "NORAD-UCS\tcountry\tusers\tpurpose\tclass\ttype\tlaunch-mass\tdry-mass\tlaunch-date\tname\r\n"
    "7530\tUSA\tCivil\tCommunications\tLEO\tSun-Synchronous\t29\t\t11/15/1974\tAmsat-Oscar 7\r\n"
    "39084\tUSA\tGovernment\tEarth\tLEO\tPolar\t\"1,512\"\t\"1, 388 (BOL)\"\t2/11/2013\t"
    "\"Landsat, 8\"\r\n";

int iterations() {
    const char* text = std::getenv("ORBITARIUM_FUZZ_ITERATIONS");
    return text ? std::max(1, std::atoi(text)) : 3000;
}

// Characters that matter to the parsers, plus any byte now and then.
char interestingChar(std::mt19937& random) {
    static const char pool[] = "0123456789 .+-eE\t\r\n\"\\/,()nainfx";
    std::uniform_int_distribution<int> pick(0, int(sizeof pool) - 2);
    if (std::uniform_int_distribution<int>(0, 9)(random) == 0) {
        return char(std::uniform_int_distribution<int>(0, 255)(random));
    }
    return pool[pick(random)];
}

std::string mutate(std::string text, std::mt19937& random) {
    const int edits = std::uniform_int_distribution<int>(1, 6)(random);
    for (int i = 0; i < edits && !text.empty(); ++i) {
        const std::size_t at = std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(random);
        switch (std::uniform_int_distribution<int>(0, 4)(random)) {
        case 0: text[at] = interestingChar(random); break;
        case 1: text.insert(at, 1, interestingChar(random)); break;
        case 2: text.erase(at, 1); break;
        case 3: text.resize(at); break;  // truncated file
        case 4: text.insert(at, std::string(std::uniform_int_distribution<int>(1, 300)(random),
                                            interestingChar(random)));
                break;
        }
    }
    return text;
}

void checkVerticesFinite(const TleRecord& record) {
    Satellite satellite;
    try {
        satellite = makeSatellite(record, std::nullopt, {"fuzz"}, false);
    } catch (const std::runtime_error&) {
        return;  // refused with a message: fine
    }
    std::vector<OrbitVertex> vertices;
    std::vector<std::uint32_t> segments;
    VertexRangeMap ranges;
    const float phase = satellitePhase(SimulationClock(), satellite);
    buildOrbitVertices(vertices, segments, ranges, satellite, phase, record.catalogNumber);
    for (const OrbitVertex& v : vertices) {
        ASSERT_TRUE(std::isfinite(v.center.x) && std::isfinite(v.majorAxis.y) &&
                    std::isfinite(v.minorAxis.z) && std::isfinite(v.semiMajorAxis) &&
                    std::isfinite(v.semiMinorAxis) && std::isfinite(v.phase) &&
                    std::isfinite(v.period) && std::isfinite(v.strength))
            << record.catalogNumber << " mean motion " << record.meanMotion;
    }
}

TEST(ReaderFuzz, ElementSetsEndInARecordOrAnException) {
    std::mt19937 random(20141121);
    int records = 0, failures = 0;
    for (int i = 0; i < iterations(); ++i) {
        const std::string text = mutate(validSet + validSet, random);
        try {
            TleReader reader(TextSource{text});
            while (auto record = reader.next()) {
                ++records;
                checkVerticesFinite(*record);
            }
        } catch (const std::exception&) {
            ++failures;
        }
    }
    // Both outcomes must have been exercised, or the mutations are too tame or too wild.
    EXPECT_GT(records, 0);
    EXPECT_GT(failures, 0);
}

TEST(ReaderFuzz, CatalogueRowsEndInARecordOrAnException) {
    std::mt19937 random(19741115);
    int records = 0, failures = 0;
    for (int i = 0; i < iterations(); ++i) {
        const std::string text = mutate(validRows, random);
        try {
            CatalogueReader reader(TextSource{text});
            while (auto record = reader.next()) {
                ++records;
                ASSERT_GE(record->catalogNumber, 0);
                ASSERT_TRUE(std::isfinite(record->mass));
                if (record->launchDate) {
                    ASSERT_FALSE(record->launchDate->is_special());
                }
            }
        } catch (const std::exception&) {
            ++failures;
        }
    }
    EXPECT_GT(records, 0);
    EXPECT_GT(failures, 0);
}

}  // namespace
}  // namespace earth
