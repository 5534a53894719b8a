#pragma once
// Lookup table of the blobs that the build embeds into the executable.

#include <cstddef>
#include <optional>
#include <string_view>

namespace earth {

struct EmbeddedResource {
    const char* type;  // "DATA", "IMG", "OGG", "SHADER", ...
    const char* id;    // decimal identifier or file name
    const char* begin;
    const char* end;
};

// One object per generated table; registers the table before main runs.
class ResourceRegistration {
public:
    ResourceRegistration(const EmbeddedResource* entries, std::size_t count);
};

// The bytes of the resource, in place (they live as long as the program), or nothing.
std::optional<std::string_view> findResource(std::string_view type, std::string_view id);

}  // namespace earth
