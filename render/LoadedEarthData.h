#pragma once
// The globe mesh built from the embedded elevation grid: one ring of vertices per grid
// latitude, north to south, closed at the date line, capped by one vertex per pole.

#include "data/OrbitGeometry.h"
#include "render/GeometryProvider.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace earth {

inline constexpr std::uint16_t kElevationGridResource = 942;

// Records of three little-endian doubles (longitude, latitude, elevation in metres), stored
// longitude-major: record index = column * rows + row, column 0 at -180, row 0 at -90.
struct ElevationGridShape {
    int columns = 900;
    int rows = 450;

    std::size_t recordCount() const {
        return static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    }
    std::size_t vertexCount() const { return 2 + static_cast<std::size_t>(rows) * (columns + 1); }
    std::size_t indexCount() const {
        return 3 * static_cast<std::size_t>(columns) * (2 + 2 * static_cast<std::size_t>(rows - 1));
    }
};

inline constexpr std::size_t kElevationRecordBytes = 24;

class LoadedEarthData : public IGeometryProvider {
public:
    // Reads the grid resource; throws when it is missing, short or holds non-finite numbers.
    explicit LoadedEarthData(float radius, std::uint16_t gridResource = kElevationGridResource);
    // Builds from grid bytes in memory (any shape with at least 2 columns and 1 row).
    LoadedEarthData(std::string_view gridBytes, float radius, ElevationGridShape shape = {});

    const std::vector<MeshVertex>& vertices() const override { return vertices_; }
    const std::vector<std::uint32_t>& indices() const override { return indices_; }

private:
    void build(std::string_view gridBytes, float radius, ElevationGridShape shape);

    std::vector<MeshVertex> vertices_;
    std::vector<std::uint32_t> indices_;
};

}  // namespace earth
