// Prints where the program puts each satellite of an element-set file, minutes after the
// satellite's own epoch, in the equatorial frame of the element sets (TEME, km), once with
// the secular J2 drift it propagates with and once with two-body motion alone. The input of
// compare_sgp4.py; built as orbitarium_positions.
//
//   orbitarium_positions FILE MINUTES...
#include "data/Catalogue.h"
#include "data/CatalogueReader.h"
#include "data/ElementFiles.h"
#include "data/OrbitGeometry.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace earth;
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FILE MINUTES...\n", argv[0]);
        return 2;
    }
    try {
        const std::vector<ElementCategory> files{readElementFile(argv[1], std::cerr)};
        const auto satellites = assembleCatalogue(files, catalogueResourceId, std::cerr);
        std::printf("number minutes model x y z\n");
        for (const Satellite& satellite : satellites) {
            for (const bool j2 : {true, false}) {
                Satellite s = satellite;
                if (!j2) {
                    const SecularRates kepler = keplerRates(86400.0 / s.period);
                    s.meanMotion = kepler.meanMotion;
                    s.raanRate = s.perigeeRate = 0.0;
                }
                const OrbitMotion motion = orbitMotion(s, s.epoch);
                for (int i = 2; i < argc; ++i) {
                    const double minutes = std::atof(argv[i]);
                    const glm::dvec3 p = positionAt(motion, minutes * 60.0) / 1000.0;
                    // World (x, y, z) is the equatorial frame's (y, z, x).
                    std::printf("%d %g %s %.6f %.6f %.6f\n", s.catalogNumber, minutes,
                                j2 ? "j2" : "kepler", p.z, p.x, p.y);
                }
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
