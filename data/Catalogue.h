#pragma once
// The joined catalogue: element sets of every category plus the catalogue table.

#include "data/ElementFiles.h"
#include "data/Satellite.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

namespace earth {

// Category name and the "DATA" resource with its element sets, in reading order.
using CategoryTable = std::vector<std::pair<std::string, std::uint16_t>>;

extern const CategoryTable categoryTable;         // the forty categories, resources 902 to 941
extern const std::vector<std::string> debrisCategories;

// Fixed groups of the tour, ascending catalogue numbers.
extern const std::vector<std::int32_t> gpsBlockIifSatellites;
extern const std::vector<std::int32_t> polarLeoSatellites;          // catalogue "LEO" + "Polar"
extern const std::vector<std::int32_t> sunSynchronousLeoSatellites;  // "LEO" + "Sun-Synchronous"

// The catalogue in ascending catalogue number, from the embedded resources. Throws whatever
// the readers throw; warns about duplicated catalogue rows on std::cerr.
std::vector<Satellite> loadSatellites();

// The same assembly over any category table and catalogue resource (tests, benchmarks).
std::vector<Satellite> loadSatellites(const CategoryTable& categories,
                                      std::uint16_t catalogueResource, std::ostream& warnings);

// The assembly itself: per catalogue number the set of the latest epoch (the earliest
// category wins a tie), the names of all its categories, the catalogue facts of the table
// resource where the number has a row. A set without a name takes the row's name, or
// "NORAD" and its number. A category is debris when it is one of `debrisCategories` or its
// name says "debris".
std::vector<Satellite> assembleCatalogue(const std::vector<ElementCategory>& categories,
                                         std::uint16_t catalogueResource, std::ostream& warnings);

// A copy of the first satellite with this number; throws "Invalid satellite".
Satellite findSatellite(const std::vector<Satellite>& satellites, std::int32_t catalogNumber);
// The satellite with this number in a catalogue in ascending number order, or null; neither
// copies nor allocates, so the frame can ask it.
const Satellite* satelliteByNumber(const std::vector<Satellite>& satellites,
                                   std::int32_t catalogNumber);

}  // namespace earth
