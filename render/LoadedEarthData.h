#pragma once
// The globe mesh built from the embedded elevation grid: one ring of vertices per grid
// latitude, north to south, closed at the date line, capped by one vertex per pole. Coarser
// levels of detail take every step-th latitude and longitude of the same grid.

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

// The grid bytes of the resource; throws when it is missing.
std::string_view elevationGrid(std::uint16_t gridResource = kElevationGridResource);

class LoadedEarthData : public IGeometryProvider {
public:
    // Reads the grid resource; throws when it is missing, short or holds non-finite numbers.
    explicit LoadedEarthData(float radius, std::uint16_t gridResource = kElevationGridResource);
    // Builds from grid bytes in memory (any shape with at least 2 columns and 1 row). With a
    // step above 1 the rings are the grid rows 0, step, 2 step ... counted from the north
    // (the southernmost row always included) and each ring takes the columns 0, step, 2 step
    // ... west to east: the same surface points, fewer of them.
    LoadedEarthData(std::string_view gridBytes, float radius, ElevationGridShape shape = {},
                    int step = 1);

    const std::vector<MeshVertex>& vertices() const override { return vertices_; }
    const std::vector<std::uint32_t>& indices() const override { return indices_; }

    // Grid row of each ring (north to south) and grid column of each ring vertex (the
    // closing vertex counts as column `columns`).
    const std::vector<int>& ringRows() const { return rows_; }
    const std::vector<int>& ringColumns() const { return columns_; }

    // The largest distance between a vertex of `finer` (a mesh of the same grid and radius,
    // with a step that divides into this one's) and the point of this mesh's triangles at
    // the same grid coordinates. Where the finer mesh refines this one's triangles, which it
    // does wherever both steps divide the grid, the distance between the two surfaces is
    // largest at such a vertex, so this bounds how far the pictures of the two can move apart.
    float deviationFrom(const LoadedEarthData& finer) const;

private:
    void build(std::string_view gridBytes, float radius, ElevationGridShape shape, int step);

    std::vector<MeshVertex> vertices_;
    std::vector<std::uint32_t> indices_;
    std::vector<int> rows_;
    std::vector<int> columns_;
};

}  // namespace earth
