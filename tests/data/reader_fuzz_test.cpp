// Mutated input must end in records or a refusal, never a crash, a hang or a non-finite
// orbit. Run long with ORBITARIUM_FUZZ_ITERATIONS=200000 in a -DORBITARIUM_SANITIZE=ON build.
#include "data/CatalogueReader.h"
#include "data/ElementSetReaders.h"
#include "data/OrbitGeometry.h"
#include "data/SimulationClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>

namespace earth {
namespace {

const std::string tleSet =
    "ISS (ZARYA)\r\n1 25544U 98067A   14328.50000000  .00016717  00000-0  10270-3 0  9005\r\n"
    "2 25544  51.6416 247.4627 0006703 130.5360 325.0288 15.72125391563537\r\n";
const std::string row =
    "ISS,25544,2014-11-24T12:00:00,15.72125391,0.0006703,51.6416,247.4627,130.536,325.0288\n";
const std::string object =
    "{\"OBJECT_NAME\":\"ISS\",\"NORAD_CAT_ID\":25544,\"EPOCH\":\"2014-11-24T12:00:00\","
    "\"MEAN_MOTION\":15.72125391,\"ECCENTRICITY\":0.0006703,\"INCLINATION\":51.6416,"
    "\"RA_OF_ASC_NODE\":247.4627,\"ARG_OF_PERICENTER\":130.536,\"MEAN_ANOMALY\":325.0288}";
const std::string omm =
    "<omm><NORAD_CAT_ID>25544</NORAD_CAT_ID><EPOCH>2014-11-24T12:00:00</EPOCH><MEAN_MOTION>"
    "15.72125391</MEAN_MOTION><ECCENTRICITY>0.0006703</ECCENTRICITY><INCLINATION>51.6416"
    "</INCLINATION><RA_OF_ASC_NODE>247.4627</RA_OF_ASC_NODE><ARG_OF_PERICENTER>130.536"
    "</ARG_OF_PERICENTER><MEAN_ANOMALY>325.0288</MEAN_ANOMALY></omm>";
const std::pair<ElementFormat, std::string> samples[] = {
    {ElementFormat::Tle, tleSet + tleSet},
    {ElementFormat::OmmCsv, "OBJECT_NAME,NORAD_CAT_ID,EPOCH,MEAN_MOTION,ECCENTRICITY,INCLINATION,"
                            "RA_OF_ASC_NODE,ARG_OF_PERICENTER,MEAN_ANOMALY\n" + row + row},
    {ElementFormat::OmmJson, "[" + object + ",\n" + object + "]"},
    {ElementFormat::OmmXml, "<ndm>" + omm + "\n" + omm + "</ndm>"}};

int iterations() {
    const char* text = std::getenv("ORBITARIUM_FUZZ_ITERATIONS");
    return text ? std::max(1, std::atoi(text)) : 2000;
}

// Characters that matter to the parsers, plus any byte now and then.
char interestingChar(std::mt19937& random) {
    static const char pool[] = "0123456789 .+-eE\t\r\n\"\\/,()nainfx<>{}[]:T";
    if (std::uniform_int_distribution<int>(0, 9)(random) == 0) {
        return char(std::uniform_int_distribution<int>(0, 255)(random));
    }
    return pool[std::uniform_int_distribution<int>(0, int(sizeof pool) - 2)(random)];
}

std::string mutate(std::string text, std::mt19937& random) {
    const int edits = std::uniform_int_distribution<int>(1, 6)(random);
    for (int i = 0; i < edits && !text.empty(); ++i) {
        const std::size_t at =
            std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(random);
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

TEST(ReaderFuzz, ElementSetsOfEveryFormatEndInFiniteOrbitsOrSkips) {
    std::mt19937 random(20141121);
    for (const auto& [format, valid] : samples) {
        ASSERT_EQ(readElementText(format, valid).sets.size(), 2u) << valid;
        std::size_t sets = 0, skipped = 0;
        for (int i = 0; i < iterations(); ++i) {
            const ElementSetText read = readElementText(format, mutate(valid, random));
            sets += read.sets.size();
            skipped += read.skippedCount;
            for (const TleRecord& record : read.sets) {
                const Satellite s = makeSatellite(record, std::nullopt, {"fuzz"}, false);
                const OrbitState state =
                    orbitStateAt(orbitMotion(s, SimulationClock().epoch()), 0.0);
                const glm::vec3 p = orbitPosition(state, 0.0f, 100.0f);
                ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
                    << record.catalogNumber << " mean motion " << record.meanMotion;
            }
        }
        // Both outcomes must have been exercised, or the mutations are too tame or too wild.
        EXPECT_GT(sets, 0u) << int(format);
        EXPECT_GT(skipped, 0u) << int(format);
    }
}

TEST(ReaderFuzz, CatalogueRowsEndInARecordOrAnException) {
    const std::string rows =
        "NORAD-UCS\tcountry\tusers\tpurpose\tclass\ttype\tlaunch-mass\tdry-mass\tdate\tname\r\n"
        "39084\tUSA\tGovernment\tEarth\tLEO\tPolar\t\"1,512\"\t\"1, 388\"\t2/11/2013\t\"L, 8\"\r\n";
    std::mt19937 random(19741115);
    int records = 0, failures = 0;
    for (int i = 0; i < iterations(); ++i) {
        try {
            CatalogueReader reader(TextSource{mutate(rows, random)});
            while (auto record = reader.next()) {
                ++records;
                ASSERT_GE(record->catalogNumber, 0);
                ASSERT_TRUE(std::isfinite(record->mass));
                ASSERT_FALSE(record->launchDate && record->launchDate->is_special());
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
