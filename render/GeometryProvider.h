#pragma once
// A triangle mesh as plain lists, so that meshes can be built and checked without GL.

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace earth {

struct MeshVertex {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec2 uv;
};
static_assert(sizeof(MeshVertex) == 32, "the vertex layout is described to GL with stride 32");
static_assert(offsetof(MeshVertex, normal) == 12 && offsetof(MeshVertex, uv) == 24);
static_assert(std::is_trivially_copyable_v<MeshVertex>);

class IGeometryProvider {
public:
    virtual ~IGeometryProvider() = default;
    virtual const std::vector<MeshVertex>& vertices() const = 0;
    virtual const std::vector<std::uint32_t>& indices() const = 0;
};

}  // namespace earth
