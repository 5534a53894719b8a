#include "data/SatelliteSearch.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace earth {
namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Where `query` (already lower case) first occurs in `name`, ignoring case; npos if nowhere.
std::size_t findFolded(std::string_view name, std::string_view query) {
    if (query.size() > name.size()) return std::string_view::npos;
    for (std::size_t at = 0; at + query.size() <= name.size(); ++at) {
        std::size_t k = 0;
        while (k < query.size() && lower(name[at + k]) == query[k]) ++k;
        if (k == query.size()) return at;
    }
    return std::string_view::npos;
}

}  // namespace

void searchSatellites(const std::vector<Satellite>& catalogue, std::string_view query,
                      std::size_t limit, std::vector<const Satellite*>& found) {
    found.clear();
    const std::size_t first = query.find_first_not_of(' ');
    if (first == std::string_view::npos || limit == 0) return;
    query = query.substr(first, query.find_last_not_of(' ') - first + 1);
    char folded[64];
    if (query.size() > sizeof folded) return;  // longer than any name
    std::transform(query.begin(), query.end(), folded, lower);
    const std::string_view needle(folded, query.size());
    const bool digits = std::all_of(query.begin(), query.end(),
                                    [](char c) { return c >= '0' && c <= '9'; });

    // 0: the number itself, 1: a number that begins with it, 2: a name that begins with it,
    // 3: a name that contains it elsewhere.
    auto rank = [&](const Satellite& s) {
        if (digits) {
            char number[16];
            const int n = std::snprintf(number, sizeof number, "%d", s.catalogNumber);
            const std::string_view text(number, n > 0 ? static_cast<std::size_t>(n) : 0);
            if (text == needle) return 0;
            if (text.substr(0, needle.size()) == needle) return 1;
        }
        const std::size_t at = findFolded(s.name, needle);
        return at == 0 ? 2 : at != std::string_view::npos ? 3 : 4;
    };
    for (int wanted = 0; wanted < 4 && found.size() < limit; ++wanted) {
        for (const Satellite& s : catalogue) {
            if (s.orbitClass == OrbitClass::None || rank(s) != wanted) continue;
            found.push_back(&s);
            if (found.size() == limit) break;
        }
    }
}

}  // namespace earth
