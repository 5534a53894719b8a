#pragma once
// The element-set files a user names on the command line, read into categories.

#include "data/TleReader.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace earth {

// A named group of element sets: one embedded resource, or one of the user's files (named
// after the file, without folder and extension).
struct ElementCategory {
    std::string name;
    std::vector<TleRecord> sets;
};

// The files behind the paths given: a folder stands for every file in it (in byte order of
// the names, hidden files left out). Throws "Unable to read element sets from "P": <why>"
// for a path that is neither, and "No element-set files in the folder "P"".
std::vector<std::string> expandElementPaths(const std::vector<std::string>& paths);

// Reads one file in any of the formats of data/ElementSetReaders.h. Each skipped record
// gets a line on `err` naming the file and the line (at most 20, then their count). Throws,
// naming the file, when it cannot be read, is in no known format or holds no valid set.
ElementCategory readElementFile(const std::string& path, std::ostream& err);

}  // namespace earth
