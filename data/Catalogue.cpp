#include "data/Catalogue.h"

#include "data/CatalogueReader.h"
#include "data/OrbitGeometry.h"
#include "data/TleReader.h"

#include <algorithm>
#include <map>
#include <ostream>
#include <set>
#include <stdexcept>

namespace earth {

const CategoryTable categoryTable = {
    {"1999-025", 902},        {"2012-044", 903},   {"amateur", 904},
    {"argos", 905},           {"beidou", 906},     {"cosmos-2251-debris", 907},
    {"cubesat", 908},         {"dmc", 909},        {"education", 910},
    {"engineering", 911},     {"galileo", 912},    {"geo", 913},
    {"geodetic", 914},        {"globalstar", 915}, {"glo-ops", 916},
    {"goes", 917},            {"gorizont", 918},   {"gps-ops", 919},
    {"intelsat", 920},        {"iridium", 921},    {"iridium-33-debris", 922},
    {"military", 923},        {"molniya", 924},    {"musson", 925},
    {"nnss", 926},            {"noaa", 927},       {"orbcomm", 928},
    {"other", 929},           {"other-comm", 930}, {"radar", 931},
    {"raduga", 932},          {"resource", 933},   {"sarsat", 934},
    {"sbas", 935},            {"science", 936},    {"sputnik", 937},
    {"stations", 938},        {"tdrss", 939},      {"weather", 940},
    {"x-comm", 941},
};

const std::vector<std::string> debrisCategories = {"1999-025", "iridium-33-debris",
                                                   "cosmos-2251-debris", "2012-044"};

const std::vector<std::int32_t> gpsBlockIifSatellites = {36585, 37753, 38833,
                                                         39166, 39533, 39741};

// PLACEHOLDER until the catalogue table is embedded: the rows of resource 901 with class
// "LEO" and type "Polar" / "Sun-Synchronous". A test compares them with the table.
const std::vector<std::int32_t> polarLeoSatellites = {};
const std::vector<std::int32_t> sunSynchronousLeoSatellites = {};

Satellite findSatellite(const std::vector<Satellite>& satellites, std::int32_t catalogNumber) {
    for (const Satellite& satellite : satellites) {
        if (satellite.catalogNumber == catalogNumber) {
            return satellite;
        }
    }
    throw std::runtime_error("Invalid satellite");
}

}  // namespace earth
