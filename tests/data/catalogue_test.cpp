#include "data/Catalogue.h"

#include "data/CatalogueReader.h"
#include "data/ResourceRegistry.h"

#include <boost/algorithm/string/trim.hpp>
#include <boost/tokenizer.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

namespace earth {
namespace {

const CategoryTable testCategories = {
    {"amateur", 60101}, {"cubesat", 60102}, {"geo", 60103},
    {"iridium-33-debris", 60104}, {"sputnik", 60105},
};
constexpr std::uint16_t testTable = 60100;

std::vector<Satellite> load(const CategoryTable& table, std::string* warnings = nullptr) {
    std::ostringstream stream;
    auto satellites = loadSatellites(table, testTable, stream);
    if (warnings) *warnings = stream.str();
    return satellites;
}

std::vector<std::int32_t> numbersOf(const std::vector<Satellite>& satellites) {
    std::vector<std::int32_t> numbers;
    for (const Satellite& s : satellites) numbers.push_back(s.catalogNumber);
    return numbers;
}

TEST(CatalogueAssembly, MergesSetsByNumberWhateverTheFileOrder) {
    const CategoryTable reversed(testCategories.rbegin(), testCategories.rend());
    for (const CategoryTable* table : {&testCategories, &reversed}) {
        SCOPED_TRACE(table == &reversed ? "reversed" : "in order");
        const auto satellites = load(*table);
        EXPECT_EQ(numbersOf(satellites), (std::vector<std::int32_t>{2, 90001, 90002, 90003, 90004}));
        const Satellite cubesat = findSatellite(satellites, 90001);
        EXPECT_EQ(cubesat.name, "CUBESAT NEW");  // the latest epoch wins: day 329.1 beats 328.5
        EXPECT_EQ(cubesat.categories, (std::vector<std::string>{"amateur", "cubesat"}));
        EXPECT_FALSE(cubesat.isDebris);
        // The epoch year decides before the day: year 14 day 310 beats year 13 day 310.
        const Satellite mixed = findSatellite(satellites, 90003);
        EXPECT_EQ(mixed.name, "GEO AND DEBRIS");
        EXPECT_EQ(mixed.categories, (std::vector<std::string>{"geo", "iridium-33-debris"}));
        EXPECT_TRUE(mixed.isDebris);
        EXPECT_EQ(mixed.orbitClass, OrbitClass::Geo);  // debris still counts as geosynchronous
        // Equal epochs keep the earlier category.
        EXPECT_EQ(findSatellite(satellites, 90002).name,
                  table == &reversed ? "FROM GEO" : "FROM CUBESAT");
    }
}

TEST(CatalogueAssembly, CatalogueRowsJoinByNumberAndFindSatelliteNamesTheMissing) {
    const auto satellites = load(testCategories);
    const Satellite withRow = findSatellite(satellites, 90001);
    EXPECT_EQ(withRow.country, "USA/Australia");
    EXPECT_EQ(withRow.mass, 1600.0f);
    EXPECT_EQ(withRow.launchDate, boost::gregorian::date(2013, 4, 1));
    EXPECT_EQ(withRow.name, "CUBESAT NEW");  // the element set names the satellite

    const Satellite sputnik = findSatellite(satellites, 2);
    EXPECT_EQ(sputnik.categories, std::vector<std::string>{"sputnik"});
    EXPECT_EQ(sputnik.country, "");
    EXPECT_EQ(sputnik.mass, 0.0f);
    EXPECT_FALSE(sputnik.launchDate);
    EXPECT_EQ(findSatellite(satellites, 90002).mass, 1388.0f);
}

TEST(CatalogueAssembly, DuplicatedRowsWarnAndReaderFailuresPropagate) {
    std::string warnings;
    load(testCategories, &warnings);
    EXPECT_EQ(warnings, "Warning: duplicated satellite 7530\n");
    EXPECT_THROW(load({{"missing", 60999}}), std::runtime_error);
    std::ostringstream sink;
    EXPECT_THROW(loadSatellites(testCategories, 60107, sink), std::runtime_error);
}

TEST(CatalogueAssembly, FindSatellite) {
    const auto satellites = load(testCategories);
    EXPECT_EQ(findSatellite(satellites, 90004).name, "ONLY AMATEUR");
    for (std::int32_t missing : {0, 7530, 90009, -1}) {
        try {
            findSatellite(satellites, missing);
            ADD_FAILURE() << missing;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Invalid satellite");
        }
    }
    EXPECT_THROW(findSatellite({}, 2), std::runtime_error);
}

TEST(CatalogueTables, CategoryTableAndFixedLists) {
    ASSERT_EQ(categoryTable.size(), 40u);
    for (std::size_t i = 0; i < categoryTable.size(); ++i) {
        EXPECT_EQ(categoryTable[i].second, 902 + i);
    }
    EXPECT_EQ(categoryTable.front().first, "1999-025");
    EXPECT_EQ(categoryTable[35].first, "sputnik");
    EXPECT_EQ(categoryTable.back().first, "x-comm");
    for (const std::string& debris : debrisCategories) {
        EXPECT_TRUE(std::any_of(categoryTable.begin(), categoryTable.end(),
                                [&](const auto& row) { return row.first == debris; }))
            << debris;
    }
    EXPECT_EQ(gpsBlockIifSatellites,
              (std::vector<std::int32_t>{36585, 37753, 38833, 39166, 39533, 39741}));
}

// The list as it would be written in the program, for a failure message.
std::string asConstant(const std::vector<std::int32_t>& numbers) {
    std::string text = "{";
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        text += (i % 12 == 0 ? "\n   " : "") + std::string(" ") + std::to_string(numbers[i]) + ",";
    }
    return text + "\n}";
}

// The tour's polar and sun-synchronous groups are the LEO rows of the embedded table of
// those orbit types; they are compiled in, so this catches a table that moved on.
TEST(CatalogueTables, TourListsMatchTheEmbeddedTable) {
    const auto table = findResource("DATA", std::to_string(catalogueResourceId));
    ASSERT_TRUE(table) << "catalogue table (DATA 901) is not embedded";
    std::vector<std::int32_t> polar, sunSynchronous;
    std::istringstream lines{std::string(*table)};
    std::string line;
    std::getline(lines, line);  // header
    using Tokenizer = boost::tokenizer<boost::escaped_list_separator<char>>;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        for (const std::string& field :
             Tokenizer(line, boost::escaped_list_separator<char>('\\', '\t', '"'))) {
            fields.push_back(boost::algorithm::trim_copy(field));
        }
        if (fields.size() < 6 || fields[0].empty() || fields[4] != "LEO") continue;
        if (fields[5] == "Polar") {
            polar.push_back(std::stoi(fields[0]));
        } else if (fields[5] == "Sun-Synchronous") {
            sunSynchronous.push_back(std::stoi(fields[0]));
        }
    }
    std::sort(polar.begin(), polar.end());
    std::sort(sunSynchronous.begin(), sunSynchronous.end());
    EXPECT_EQ(polarLeoSatellites, polar) << "the table now says:\n" << asConstant(polar);
    EXPECT_EQ(sunSynchronousLeoSatellites, sunSynchronous)
        << "the table now says:\n" << asConstant(sunSynchronous);
    EXPECT_TRUE(std::is_sorted(polarLeoSatellites.begin(), polarLeoSatellites.end()));
    EXPECT_TRUE(std::is_sorted(sunSynchronousLeoSatellites.begin(),
                               sunSynchronousLeoSatellites.end()));
}

bool allCategoriesEmbedded() {
    for (const auto& row : categoryTable) {
        if (!findResource("DATA", std::to_string(row.second))) return false;
    }
    return findResource("DATA", std::to_string(catalogueResourceId)).has_value();
}

// Catalogue numbers in an element-set resource, read independently of the reader: the
// third to seventh character of every second line of each set.
std::set<std::int32_t> numbersIn(std::uint16_t id) {
    std::set<std::int32_t> numbers;
    std::istringstream lines{std::string(*findResource("DATA", std::to_string(id)))};
    std::string name, line1, line2;
    while (std::getline(lines, name) && std::getline(lines, line1) && std::getline(lines, line2)) {
        numbers.insert(std::stoi(line1.substr(2, 5)));
    }
    return numbers;
}

TEST(CatalogueEmbedded, LoadsTheWholeCatalogue) {
    ASSERT_TRUE(allCategoriesEmbedded())
        << "element sets (DATA 902 to 941) or table (DATA 901) missing";
    std::set<std::int32_t> all, debris;
    for (const auto& [name, id] : categoryTable) {
        const auto numbers = numbersIn(id);
        all.insert(numbers.begin(), numbers.end());
        if (std::count(debrisCategories.begin(), debrisCategories.end(), name)) {
            debris.insert(numbers.begin(), numbers.end());
        }
    }

    std::ostringstream warnings;
    std::streambuf* old = std::cerr.rdbuf(warnings.rdbuf());
    std::vector<Satellite> satellites;
    try {
        satellites = loadSatellites();
    } catch (...) {
        std::cerr.rdbuf(old);
        throw;
    }
    std::cerr.rdbuf(old);
    EXPECT_EQ(warnings.str(), "");
    EXPECT_EQ(satellites.size(), all.size());
    EXPECT_EQ(std::size_t(std::count_if(satellites.begin(), satellites.end(),
                                        [](const Satellite& s) { return s.isDebris; })),
              debris.size());
    EXPECT_TRUE(std::is_sorted(satellites.begin(), satellites.end(),
                               [](const Satellite& a, const Satellite& b) {
                                   return a.catalogNumber < b.catalogNumber;
                               }));
    EXPECT_EQ(std::adjacent_find(satellites.begin(), satellites.end(),
                                 [](const Satellite& a, const Satellite& b) {
                                     return a.catalogNumber == b.catalogNumber;
                                 }),
              satellites.end());
    for (std::int32_t number : gpsBlockIifSatellites) {
        EXPECT_NO_THROW(findSatellite(satellites, number)) << number;
    }
    for (const auto* list : {&polarLeoSatellites, &sunSynchronousLeoSatellites}) {
        for (std::int32_t number : *list) {
            EXPECT_NO_THROW(findSatellite(satellites, number)) << "tour satellite " << number;
        }
    }
}

}  // namespace
}  // namespace earth
