#include "data/Catalogue.h"

#include "data/CatalogueReader.h"
#include "data/OrbitGeometry.h"
#include "data/TleReader.h"

#include <algorithm>
#include <iostream>
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

namespace {

bool isLater(const TleRecord& candidate, const TleRecord& stored) {
    return stored.epochYear < candidate.epochYear ||
           (stored.epochYear == candidate.epochYear && stored.epochDay < candidate.epochDay);
}

bool isDebrisCategory(const std::string& name) {
    return std::find(debrisCategories.begin(), debrisCategories.end(), name) !=
           debrisCategories.end();
}

}  // namespace

std::vector<Satellite> loadSatellites() {
    return loadSatellites(categoryTable, catalogueResourceId, std::cerr);
}

std::vector<Satellite> loadSatellites(const CategoryTable& categories,
                                      std::uint16_t catalogueResource, std::ostream& warnings) {
    std::map<std::int32_t, TleRecord> elementSets;
    std::map<std::int32_t, std::set<std::string>> categoryNames;
    std::map<std::int32_t, CatalogueRecord> rows;

    for (const auto& [category, resourceId] : categories) {
        TleReader reader(resourceId);
        while (auto record = reader.next()) {
            const std::int32_t number = record->catalogNumber;
            const auto stored = elementSets.find(number);
            if (stored == elementSets.end()) {
                elementSets.emplace(number, std::move(*record));
            } else if (isLater(*record, stored->second)) {
                stored->second = std::move(*record);
            }
            categoryNames[number].insert(category);
        }
    }

    CatalogueReader catalogue(catalogueResource);
    while (auto row = catalogue.next()) {
        const std::int32_t number = row->catalogNumber;
        if (!rows.emplace(number, std::move(*row)).second) {
            warnings << "Warning: duplicated satellite " << number << std::endl;
        }
    }

    std::vector<Satellite> satellites;
    satellites.reserve(elementSets.size());
    for (const auto& [number, record] : elementSets) {
        const std::set<std::string>& names = categoryNames[number];
        std::vector<std::string> listed(names.begin(), names.end());
        const bool isDebris = std::any_of(listed.begin(), listed.end(), isDebrisCategory);
        std::optional<CatalogueRecord> row;
        if (const auto found = rows.find(number); found != rows.end()) {
            row = found->second;
        }
        satellites.push_back(makeSatellite(record, row, std::move(listed), isDebris));
    }
    return satellites;
}

Satellite findSatellite(const std::vector<Satellite>& satellites, std::int32_t catalogNumber) {
    for (const Satellite& satellite : satellites) {
        if (satellite.catalogNumber == catalogNumber) {
            return satellite;
        }
    }
    throw std::runtime_error("Invalid satellite");
}

}  // namespace earth
