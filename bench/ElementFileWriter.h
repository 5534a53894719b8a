#pragma once
// Element-set files of any size for the benchmarks: the embedded sets repeated, numbered
// 1, 2, ... and shifted along their orbits from one repetition to the next, written in each
// of the formats users bring.

#include "data/ElementSetReaders.h"

#include <string>
#include <vector>

namespace earth::bench {

// `count` sets made from the embedded ones.
std::vector<TleRecord> syntheticSets(std::size_t count);
// How many objects the embedded sky has (one set per catalogue number).
std::size_t embeddedSetCount();

// The file's text; for Tle three-line sets.
std::string elementFileText(const std::vector<TleRecord>& sets, ElementFormat format);

// Writes the sets into a file of that format under the temporary folder; returns its path.
std::string writeElementFile(const std::vector<TleRecord>& sets, ElementFormat format,
                             const std::string& stem);

}  // namespace earth::bench
