#include "data/ResourceRegistry.h"

#include <vector>

namespace earth {
namespace {

struct Table {
    const EmbeddedResource* entries;
    std::size_t count;
};

// Function-local so that registrations from other translation units may run in any order.
std::vector<Table>& tables() {
    static std::vector<Table> all;
    return all;
}

}  // namespace

ResourceRegistration::ResourceRegistration(const EmbeddedResource* entries, std::size_t count) {
    tables().push_back({entries, count});
}

std::optional<std::string_view> findResource(std::string_view type, std::string_view id) {
    for (const Table& table : tables()) {
        for (std::size_t i = 0; i < table.count; ++i) {
            const EmbeddedResource& e = table.entries[i];
            if (type == e.type && id == e.id) {
                return std::string_view(e.begin, static_cast<std::size_t>(e.end - e.begin));
            }
        }
    }
    return std::nullopt;
}

}  // namespace earth
