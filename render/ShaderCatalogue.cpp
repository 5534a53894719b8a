#include "render/ShaderCatalogue.h"

#include "data/ResourceRegistry.h"

#include <map>
#include <stdexcept>

namespace earth {

namespace {

// The fixed set of sources; a name absent from the embedded blobs simply is not in the table,
// so asking for it fails like any unknown name.
const char* const kNames[] = {
    "basic.vsh",         "basic.fsh",         "orbit-position.vsh", "orbit.vsh",
    "orbit.fsh",         "orbit-ribbon.vsh",  "orbit-ribbon.fsh",   "orbit-sort.csh",
    "panel.vsh",         "panel.fsh",         "starfield.vsh",      "starfield.fsh",
    "textured-quad.vsh", "textured-quad.fsh", "map-surface.vsh",    "map-surface.fsh",
    "orbit-heads.csh",
};

const std::map<std::string, std::string>& catalogue() {
    static const std::map<std::string, std::string> table = [] {
        std::map<std::string, std::string> t;
        for (const char* name : kNames) {
            if (const auto bytes = findResource("SHADER", name)) t.emplace(name, std::string(*bytes));
        }
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
