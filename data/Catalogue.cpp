#include "data/Catalogue.h"

#include "data/CatalogueReader.h"
#include "data/OrbitGeometry.h"
#include "data/TleReader.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <map>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string_view>

namespace earth {

// Every element-set file the build embeds from the catalogue's folder, in manifest order.
const CategoryTable categoryTable = [] {
    CategoryTable table;
#define ORBITARIUM_RESOURCE(type, id, stem, folder)                                       \
    if (std::string_view(#type) == "DATA" &&                                             \
        std::string_view(folder) == "resources/catalogue/tle") {                          \
        table.emplace_back(stem, static_cast<std::uint16_t>(std::stoi(id)));             \
    }
#include "orbitarium_resources_list.inc"
#undef ORBITARIUM_RESOURCE
    return table;
}();

const std::vector<std::string> debrisCategories = {"1999-025", "iridium-33-debris",
                                                   "cosmos-2251-debris", "2012-044"};

const std::vector<std::int32_t> gpsBlockIifSatellites = {36585, 37753, 38833,
                                                         39166, 39533, 39741};

// The LEO rows of the catalogue table (DATA 901) whose orbit type is "Polar", then those whose
// type is "Sun-Synchronous". Kept as constants so that nothing reads those columns at run
// time; a test compares them with the embedded table and prints the new lists when it moved.
const std::vector<std::int32_t> polarLeoSatellites = {
    900, 902, 1512, 1520, 2807, 2965, 3133, 4507, 5398, 5560, 6909, 12458, 14032, 14372, 14699,
    14819, 15362, 15494, 15935, 15936, 16719, 17295, 18361, 18362, 18421, 18958, 19070, 19071,
    19210, 19223, 19419, 19420, 19460, 19573, 20465, 21397, 21422, 22286, 22626, 22782, 23560,
    24278, 24793, 24794, 24795, 24796, 24836, 24837, 24839, 24840, 24841, 24842, 24869, 24870,
    24871, 24872, 24873, 24903, 24904, 24905, 24906, 24907, 24944, 24945, 24948, 24950, 24965,
    24966, 24967, 24968, 24969, 25039, 25040, 25041, 25042, 25043, 25077, 25078, 25104, 25105,
    25106, 25108, 25169, 25170, 25171, 25172, 25173, 25262, 25263, 25272, 25273, 25274, 25275,
    25276, 25285, 25286, 25287, 25288, 25289, 25290, 25291, 25319, 25320, 25342, 25343, 25344,
    25346, 25431, 25432, 25467, 25468, 25469, 25527, 25528, 25530, 25531, 25577, 25578, 25590,
    25635, 25777, 25778, 25892, 26818, 27372, 27373, 27374, 27375, 27376, 27436, 27450, 27451,
    27818, 28380, 28521, 32052, 32953, 33504, 35635, 36508, 36519, 38735, 39265, 39267, 39268,
    39269, 39270, 39451, 39452, 39453,
};

const std::vector<std::int32_t> sunSynchronousLeoSatellites = {
    4327, 4793, 6235, 6920, 7529, 7530, 9057, 11060, 11251, 11416, 12553, 12585, 13923, 14781,
    15427, 16969, 19531, 20442, 21263, 21574, 21576, 22739, 22824, 22825, 22826, 23455, 24883,
    25338, 25397, 25682, 25860, 25977, 25994, 26536, 26702, 26958, 27386, 27424, 27453, 27550,
    27559, 27597, 27640, 27843, 27844, 27848, 27939, 27941, 27942, 27943, 28051, 28220, 28371,
    28376, 28492, 28649, 28654, 28890, 28895, 28931, 28939, 29079, 29107, 29108, 29479, 29499,
    29505, 29506, 29658, 29710, 31113, 31118, 31304, 31598, 31698, 32060, 32376, 32382, 32750,
    32783, 32785, 32787, 32788, 32789, 32790, 32791, 32958, 33331, 33396, 33412, 33493, 33499,
    33591, 34903, 35681, 35682, 35683, 35865, 35931, 35932, 35933, 35935, 35946, 35951, 36036,
    36037, 36104, 36119, 36122, 36124, 36605, 36795, 36797, 36799, 36834, 37214, 37216, 37348,
    37387, 37389, 37781, 37789, 37790, 37791, 37849, 37941, 38012, 38038, 38046, 38248, 38337,
    38340, 38707, 38710, 38755, 38771, 39019, 39030, 39061, 39084, 39086, 39089, 39090, 39091,
    39092, 39150, 39151, 39153, 39159, 39160, 39161, 39197, 39232, 39260, 39417, 39418, 39419,
    39422, 39423, 39427, 39428, 39430, 39431, 39433, 39436, 39440, 39441, 39444, 39446, 39634,
    39731, 39766, 39770, 40010, 40012, 40013, 40020, 40021, 40023, 40024, 40025, 40026, 40027,
    40028, 40029, 40030, 40031, 40032, 40033, 40034, 40035, 40036, 40037, 40038, 40039, 40040,
    40041, 40042, 40043, 40044, 40045, 40046, 40053, 40057, 40059, 40069, 40071, 40072, 40074,
    40076, 40115, 40118, 40119, 40299, 40300, 40301,
};

namespace {

// Two-digit years compare as the years they stand for: a 1999 set is older than a 2014 one.
bool isLater(const TleRecord& candidate, const TleRecord& stored) {
    const int candidateYear = fullEpochYear(candidate.epochYear);
    const int storedYear = fullEpochYear(stored.epochYear);
    return storedYear < candidateYear ||
           (storedYear == candidateYear && stored.epochDay < candidate.epochDay);
}

bool isDebrisCategory(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("debris") != std::string::npos ||
           std::find(debrisCategories.begin(), debrisCategories.end(), name) !=
               debrisCategories.end();
}

}  // namespace

std::vector<Satellite> loadSatellites() {
    return loadSatellites(categoryTable, catalogueResourceId, std::cerr);
}

std::vector<Satellite> loadSatellites(const CategoryTable& categories,
                                      std::uint16_t catalogueResource, std::ostream& warnings) {
    std::vector<ElementCategory> read;
    read.reserve(categories.size());
    for (const auto& [category, resourceId] : categories) {
        ElementCategory& into = read.emplace_back();
        into.name = category;
        TleReader reader(resourceId);
        while (auto record = reader.next()) into.sets.push_back(std::move(*record));
    }
    return assembleCatalogue(read, catalogueResource, warnings);
}

std::vector<Satellite> assembleCatalogue(const std::vector<ElementCategory>& categories,
                                         std::uint16_t catalogueResource, std::ostream& warnings) {
    std::map<std::int32_t, const TleRecord*> elementSets;
    std::map<std::int32_t, std::set<std::string>> categoryNames;
    std::map<std::int32_t, CatalogueRecord> rows;

    for (const ElementCategory& category : categories) {
        for (const TleRecord& record : category.sets) {
            const auto [stored, inserted] = elementSets.emplace(record.catalogNumber, &record);
            if (!inserted && isLater(record, *stored->second)) stored->second = &record;
            categoryNames[record.catalogNumber].insert(category.name);
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
        if (record->name.empty()) {
            TleRecord named = *record;
            named.name = row && !row->name.empty() ? row->name : "NORAD " + std::to_string(number);
            satellites.push_back(makeSatellite(named, row, std::move(listed), isDebris));
        } else {
            satellites.push_back(makeSatellite(*record, row, std::move(listed), isDebris));
        }
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

const Satellite* satelliteByNumber(const std::vector<Satellite>& satellites,
                                   std::int32_t catalogNumber) {
    const auto it = std::lower_bound(
        satellites.begin(), satellites.end(), catalogNumber,
        [](const Satellite& s, std::int32_t number) { return s.catalogNumber < number; });
    return it != satellites.end() && it->catalogNumber == catalogNumber ? &*it : nullptr;
}

}  // namespace earth
