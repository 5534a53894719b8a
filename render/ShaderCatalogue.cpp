#include "render/ShaderCatalogue.h"

#include "data/ResourceRegistry.h"

#include <map>
#include <stdexcept>
#include <string_view>

namespace earth {

namespace {

// Every shader the build embeds, by name; asking for any other name fails.
const std::map<std::string, std::string>& catalogue() {
    static const std::map<std::string, std::string> table = [] {
        std::map<std::string, std::string> t;
#define ORBITARIUM_RESOURCE(type, id, stem, folder)                                 \
    if (std::string_view(#type) == "SHADER") {                                      \
        if (const auto bytes = findResource("SHADER", id)) t.emplace(id, std::string(*bytes)); \
    }
#include "orbitarium_resources_list.inc"
#undef ORBITARIUM_RESOURCE
        return t;
    }();
    return table;
}

}  // namespace

std::string shaderSource(const std::string& name) {
    const auto& table = catalogue();
    const auto it = table.find(name);
    if (it == table.end()) throw std::runtime_error("Missing shader");
    return it->second;
}

std::vector<std::string> shaderNames() {
    std::vector<std::string> names;
    for (const auto& entry : catalogue()) names.push_back(entry.first);
    return names;
}

}  // namespace earth
