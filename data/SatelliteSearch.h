#pragma once
// Finding objects of the catalogue by what the viewer types: part of a name, or a catalogue
// number or its first digits.

#include "data/Satellite.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace earth {

// Replaces `found` with up to `limit` objects that match `query` (trimmed of spaces): a name
// that contains it, letters compared without case, or, for a query of digits alone, a
// catalogue number equal to it or beginning with it. Best first: the number itself, numbers
// beginning with the query, names beginning with it, names containing it; catalogue order
// within each. Objects of no orbit class, which free exploration never shows, are left out.
// A blank query finds nothing. Allocates only when `found` has less room than `limit`.
void searchSatellites(const std::vector<Satellite>& catalogue, std::string_view query,
                      std::size_t limit, std::vector<const Satellite*>& found);

}  // namespace earth
