#include "render/LoadedEarthData.h"

#include "data/OrbitGeometry.h"
#include "data/ResourceRegistry.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace earth {

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the elevation grid is read in place as little-endian doubles");

namespace {

constexpr float kPi = orbit::pi;

// Sine and cosine of an angle in degrees mapped to radians as the mesh needs them; the grid
// repeats each longitude on every row and each latitude along a row, so the last argument
// is remembered and 1.6 million trigonometric calls shrink to a few thousand.
class CachedSinCos {
public:
    void set(float argument) {
        if (argument == argument_ && valid_) return;
        argument_ = argument;
        valid_ = true;
        sin_ = std::sin(argument);
        cos_ = std::cos(argument);
    }
    float sin() const { return sin_; }
    float cos() const { return cos_; }

private:
    float argument_ = 0.0f;
    float sin_ = 0.0f;
    float cos_ = 1.0f;
    bool valid_ = false;
};

float colatitude(float latitude) { return (90.0f - latitude) / 180.0f * kPi; }
float azimuth(float longitude) { return (longitude + 180.0f) / 180.0f * kPi; }

// Position on the sphere of colatitude theta and azimuth phi = longitude + 180 degrees,
// turned so that +Y is north and +Z looks at latitude 0, longitude 0.
MeshVertex surfaceVertex(const CachedSinCos& theta, const CachedSinCos& phi, float latitude,
                         float longitude, float elevation, float radius) {
    const float r = radius * (elevation + orbit::earthRadius) / orbit::earthRadius;
    const glm::vec3 position(-r * theta.sin() * phi.sin(), r * theta.cos(),
                             -r * theta.sin() * phi.cos());
    MeshVertex v;
    v.position = position;
    const float length = std::sqrt(position.x * position.x + position.y * position.y +
                                   position.z * position.z);
    v.normal = length > 0.0f ? position / length : glm::vec3(0.0f, 1.0f, 0.0f);
    v.uv = glm::vec2((longitude + 180.0f) / 360.0f, 1.0f - (latitude + 90.0f) / 180.0f);
    return v;
}

MeshVertex poleVertex(float latitude, float radius) {
    CachedSinCos theta, phi;
    theta.set(colatitude(latitude));
    phi.set(azimuth(0.0f));
    return surfaceVertex(theta, phi, latitude, 0.0f, 0.0f, radius);
}

struct GridRecord {
    double longitude;
    double latitude;
    double elevation;
};

GridRecord readRecord(const char* grid, std::size_t index) {
    GridRecord record;
    std::memcpy(&record, grid + index * kElevationRecordBytes, sizeof record);
    if (!std::isfinite(record.longitude) || !std::isfinite(record.latitude) ||
        !std::isfinite(record.elevation)) {
        throw std::runtime_error("Elevation grid record " + std::to_string(index) +
                                 " holds a value that is not a finite number");
    }
    return record;
}

}  // namespace

std::string_view elevationGrid(std::uint16_t gridResource) {
    const auto bytes = findResource("DATA", std::to_string(gridResource));
    if (!bytes) {
        throw std::runtime_error("Missing data resource " + std::to_string(gridResource));
    }
    return *bytes;
}

LoadedEarthData::LoadedEarthData(float radius, std::uint16_t gridResource) {
    build(elevationGrid(gridResource), radius, ElevationGridShape{}, 1);
}

LoadedEarthData::LoadedEarthData(std::string_view gridBytes, float radius,
                                 ElevationGridShape shape, int step) {
    build(gridBytes, radius, shape, step);
}

void LoadedEarthData::build(std::string_view gridBytes, float radius, ElevationGridShape shape,
                            int step) {
    static_assert(sizeof(GridRecord) == kElevationRecordBytes);
    if (shape.columns < 2 || shape.rows < 1) {
        throw std::invalid_argument("Elevation grid needs at least 2 columns and 1 row");
    }
    if (step < 1) throw std::invalid_argument("Globe mesh step must be at least 1");
    const std::size_t available = gridBytes.size() / kElevationRecordBytes;
    if (available < shape.recordCount()) {
        throw std::runtime_error("Elevation grid holds " + std::to_string(available) +
                                 " records, " + std::to_string(shape.recordCount()) +
                                 " needed");
    }
    const char* grid = gridBytes.data();
    for (int row = shape.rows - 1; row >= 0; row -= step) rows_.push_back(row);
    if (rows_.back() != 0) rows_.push_back(0);
    for (int column = 0; column < shape.columns; column += step) columns_.push_back(column);
    columns_.push_back(shape.columns);
    const std::size_t gridRows = static_cast<std::size_t>(shape.rows);
    const std::size_t rings = rows_.size();
    const std::size_t ringSize = columns_.size();  // the closing vertex included
    const std::size_t vertexCount = 2 + rings * ringSize;

    // Written in place into storage sized once: no growth, no per-vertex allocation.
    vertices_.resize(vertexCount);
    MeshVertex* const out = vertices_.data();
    out[0] = poleVertex(90.0f, radius);
    // The grid runs down the columns, the rings run along the rows. A band of neighbouring
    // columns is read down the column streams together, so that reads and writes stay on a
    // few pages at a time instead of jumping one grid column (10.8 kB) per vertex.
    constexpr std::size_t kBand = 16;
    std::vector<CachedSinCos> columnAzimuths(ringSize - 1);
    CachedSinCos theta;
    for (std::size_t first = 0; first + 1 < ringSize; first += kBand) {
        const std::size_t last = std::min(ringSize - 1, first + kBand);
        for (std::size_t q = 0; q < rings; ++q) {
            const auto row = static_cast<std::size_t>(rows_[q]);
            MeshVertex* ring = out + 1 + ringSize * q;
            for (std::size_t c = first; c < last; ++c) {
                const auto column = static_cast<std::size_t>(columns_[c]);
                const GridRecord record = readRecord(grid, column * gridRows + row);
                const float latitude = static_cast<float>(record.latitude);
                const float longitude = static_cast<float>(record.longitude);
                theta.set(colatitude(latitude));
                columnAzimuths[c].set(azimuth(longitude));
                ring[c] = surfaceVertex(theta, columnAzimuths[c], latitude, longitude,
                                        static_cast<float>(record.elevation), radius);
            }
        }
    }
    // The seam vertex repeats column 0 where the texture wraps round: same place, u = 1.
    for (std::size_t q = 0; q < rings; ++q) {
        MeshVertex* ring = out + 1 + ringSize * q;
        ring[ringSize - 1] = ring[0];
        ring[ringSize - 1].uv.x = 1.0f;
    }
    out[vertexCount - 1] = poleVertex(-90.0f, radius);

    const std::size_t cells = ringSize - 1;
    indices_.resize(3 * cells * (2 + 2 * (rings - 1)));
    std::uint32_t* index = indices_.data();
    const auto v = [ringSize](std::size_t q, std::size_t c) {
        return static_cast<std::uint32_t>(1 + ringSize * q + c);
    };
    for (std::size_t c = 0; c < cells; ++c) {
        *index++ = 0;
        *index++ = v(0, c);
        *index++ = v(0, c + 1);
    }
    for (std::size_t q = 0; q + 1 < rings; ++q) {
        for (std::size_t c = 0; c < cells; ++c) {
            *index++ = v(q, c + 1);
            *index++ = v(q, c);
            *index++ = v(q + 1, c);
            *index++ = v(q, c + 1);
            *index++ = v(q + 1, c);
            *index++ = v(q + 1, c + 1);
        }
    }
    const std::uint32_t southPole = static_cast<std::uint32_t>(vertexCount - 1);
    for (std::size_t c = 0; c < cells; ++c) {
        *index++ = v(rings - 1, c + 1);
        *index++ = v(rings - 1, c);
        *index++ = southPole;
    }
}

namespace {

// For each value of `finer` (both lists run monotonically in the same direction and share
// their ends), the cell [k, k + 1] of `coarser` that holds it and the fraction of the way
// across the cell.
std::vector<std::pair<std::size_t, double>> cellsOf(const std::vector<int>& finer,
                                                    const std::vector<int>& coarser) {
    std::vector<std::pair<std::size_t, double>> cells;
    cells.reserve(finer.size());
    std::size_t k = 0;
    for (int value : finer) {
        const auto beyond = [&](std::size_t i) {
            return coarser[0] <= coarser.back() ? value > coarser[i] : value < coarser[i];
        };
        while (k + 2 < coarser.size() && beyond(k + 1)) ++k;
        const double width = coarser[k + 1] - coarser[k];
        cells.emplace_back(k, (value - coarser[k]) / width);
    }
    return cells;
}

}  // namespace

float LoadedEarthData::deviationFrom(const LoadedEarthData& finer) const {
    const auto rowCells = cellsOf(finer.rows_, rows_);
    const auto columnCells = cellsOf(finer.columns_, columns_);
    const std::size_t ringSize = columns_.size();
    const std::size_t finerRingSize = finer.columns_.size();
    const auto at = [&](std::size_t q, std::size_t c) {
        return glm::dvec3(vertices_[1 + ringSize * q + c].position);
    };
    double worst = 0.0;
    for (std::size_t q = 0; q < rowCells.size(); ++q) {
        const auto [k, a] = rowCells[q];
        for (std::size_t c = 0; c < columnCells.size(); ++c) {
            const auto [j, b] = columnCells[c];
            // The cell's two triangles split along its diagonal from (k, j + 1) to (k + 1, j).
            const glm::dvec3 point =
                a + b <= 1.0 ? at(k, j) + b * (at(k, j + 1) - at(k, j)) + a * (at(k + 1, j) - at(k, j))
                             : at(k + 1, j + 1) + (1.0 - b) * (at(k + 1, j) - at(k + 1, j + 1)) +
                                   (1.0 - a) * (at(k, j + 1) - at(k + 1, j + 1));
            const glm::dvec3 fine(finer.vertices_[1 + finerRingSize * q + c].position);
            worst = std::max(worst, glm::length(point - fine));
        }
    }
    return static_cast<float>(worst);
}

}  // namespace earth
