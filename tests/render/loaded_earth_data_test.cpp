// The globe mesh from elevation grids: levels of detail and their deviation, bad grids, and
// the embedded grid at full and at the coarsest detail (the mesh's shape, order and map
// coordinates show in frame_pictures_gltest).
#include "render/LoadedEarthData.h"

#include "data/ResourceRegistry.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace earth {
namespace {


// Grid bytes in the resource's layout: longitude-major, column 0 at -180, row 0 at -90.
std::string makeGrid(ElevationGridShape shape, const std::function<double(double, double)>& elevation) {
    std::string bytes(shape.recordCount() * kElevationRecordBytes, '\0');
    for (int c = 0; c < shape.columns; ++c) {
        for (int r = 0; r < shape.rows; ++r) {
            const double lon = -180.0 + 360.0 * c / shape.columns, lat = -90.0 + 180.0 * r / shape.rows;
            const double record[3] = {lon, lat, elevation(lon, lat)};
            std::memcpy(&bytes[(static_cast<std::size_t>(c) * shape.rows + r) * 24], record, 24);
        }
    }
    return bytes;
}

// Outward-facing counter-clockwise triangles have a normal that points away from the centre.
// Triangles with a collapsed edge (the last ring lies on the south pole) have no normal; the
// shortest real edge, along the ring nearest the north pole, is about 5e-5 at radius 1.
int countInwardTriangles(const LoadedEarthData& mesh, std::size_t stride) {
    const auto& v = mesh.vertices();
    const auto& idx = mesh.indices();
    int inward = 0;
    for (std::size_t t = 0; t * 3 < idx.size(); t += stride) {
        const glm::vec3 a = v[idx[3 * t]].position, b = v[idx[3 * t + 1]].position,
                        c = v[idx[3 * t + 2]].position;
        if (std::min({glm::length(b - a), glm::length(c - b), glm::length(a - c)}) < 1e-5f) continue;
        if (glm::dot(glm::cross(b - a, c - a), a + b + c) <= 0.0f) ++inward;
    }
    return inward;
}

// Step 2 on a 4 x 3 grid keeps rows 2 and 0 and columns 0 and 2: every other point skipped
// lies halfway along an edge or the diagonal of a kept cell, so its distance from the coarse
// surface is its distance from the midpoint of two kept points.
TEST(LoadedEarthDataTest, CoarseLevelKeepsEveryOtherPointAndMeasuresWhatItSkips) {
    const ElevationGridShape shape{4, 3};
    const std::string grid = makeGrid(shape, [](double lon, double lat) { return 20000.0 * std::sin(lon + lat); });
    const LoadedEarthData fine(grid, 2.0f, shape);
    const LoadedEarthData coarse(grid, 2.0f, shape, 2);
    EXPECT_EQ(coarse.ringRows(), (std::vector<int>{2, 0}));
    EXPECT_EQ(coarse.ringColumns(), (std::vector<int>{0, 2, 4}));
    ASSERT_EQ(coarse.vertices().size(), 8u);
    ASSERT_EQ(coarse.indices().size(), 3u * 2 * (2 + 2));
    // Fine ring q, column c is grid row 2 - q; coarse ring k, column j is row 2 - 2k, column 2j.
    const auto f = [&](int q, int c) { return glm::dvec3(fine.vertices()[1 + 5 * q + c].position); };
    const auto k = [&](int q, int j) { return glm::dvec3(coarse.vertices()[1 + 3 * q + j].position); };
    for (int q : {0, 1}) {
        for (int j = 0; j < 3; ++j) EXPECT_EQ(k(q, j), f(2 * q, 2 * j)) << q << "," << j;
    }
    const struct {
        glm::dvec3 point, a, b;
    } skipped[] = {
        {f(0, 1), k(0, 0), k(0, 1)}, {f(0, 3), k(0, 1), k(0, 2)}, {f(2, 1), k(1, 0), k(1, 1)},
        {f(2, 3), k(1, 1), k(1, 2)}, {f(1, 0), k(0, 0), k(1, 0)}, {f(1, 2), k(0, 1), k(1, 1)},
        {f(1, 4), k(0, 2), k(1, 2)}, {f(1, 1), k(0, 1), k(1, 0)}, {f(1, 3), k(0, 2), k(1, 1)},
    };
    double expected = 0.0;
    for (const auto& s : skipped) expected = std::max(expected, glm::length(s.point - (s.a + s.b) / 2.0));
    EXPECT_GT(expected, 0.01);
    EXPECT_NEAR(coarse.deviationFrom(fine), expected, 1e-6);
    EXPECT_EQ(fine.deviationFrom(fine), 0.0f);
}

TEST(LoadedEarthDataTest, RejectsShortOrBrokenGrids) {
    const ElevationGridShape shape{4, 3};
    const std::string grid = makeGrid(shape, [](double, double) { return 0.0; });
    std::string nan = grid;
    const double notANumber = std::nan("");
    std::memcpy(&nan[5 * 24 + 16], &notANumber, 8);
    for (const auto& [bytes, message] : std::vector<std::pair<std::string, const char*>>{
             {grid.substr(0, grid.size() - 12), "Elevation grid holds 11 records, 12 needed"},
             {std::string(), "Elevation grid holds 0 records, 12 needed"},
             {nan, "Elevation grid record 5 holds a value that is not a finite number"}}) {
        try {
            LoadedEarthData mesh(bytes, 1.0f, shape);
            ADD_FAILURE() << message << ": no error";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
    EXPECT_THROW(LoadedEarthData(grid, 1.0f, ElevationGridShape{1, 3}), std::invalid_argument);
    EXPECT_THROW(LoadedEarthData(grid, 1.0f, shape, 0), std::invalid_argument);
    EXPECT_THROW(LoadedEarthData(1.0f, 60999), std::runtime_error);  // no such resource
}

// The embedded grid: poles, seams, outward faces and true-scale relief on the real Earth.
TEST(LoadedEarthDataTest, EmbeddedGridAtFullAndCoarsestDetail) {
    ASSERT_TRUE(findResource("DATA", "942")) << "elevation grid not embedded";
    const LoadedEarthData mesh(1.0f);
    const auto& v = mesh.vertices();
    ASSERT_EQ(v.size(), 405452u);
    ASSERT_EQ(mesh.indices().size(), 2430000u);
    EXPECT_EQ(v[0].position, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_NEAR(v[405451].position.y, -1.0f, 1e-6f);
    for (int q = 0; q < 450; q += 7) {  // each ring closes where it starts, with u = 1
        EXPECT_TRUE(v[1 + 901 * q + 900].position == v[1 + 901 * q].position && v[1 + 901 * q + 900].uv.x == 1.0f) << q;
    }
    // The last ring is grid row 0 at latitude -90: on the polar axis.
    EXPECT_LT(std::hypot(v[1 + 901 * 449 + 450].position.x, v[1 + 901 * 449 + 450].position.z), 1e-6f);
    // Every 97th triangle: a prime stride walks through caps, bands and all columns.
    EXPECT_EQ(countInwardTriangles(mesh, 97), 0);
    // A 0.4-degree grid averages the peaks away; its Himalayan cells still stand above
    // 5,100 m (1.0008), the highest of the whole Earth, and the ocean trenches go several
    // kilometres deep; all within about 0.16 per cent of the radius.
    float highest = 0.0f, lowest = 2.0f, himalaya = 0.0f;
    for (const MeshVertex& p : v) {
        const float r = glm::length(p.position), lon = p.uv.x * 360.0f - 180.0f, lat = 90.0f - p.uv.y * 180.0f;
        if (lat > 26.0f && lat < 37.0f && lon > 75.0f && lon < 100.0f) himalaya = std::max(himalaya, r);
        highest = std::max(highest, r), lowest = std::min(lowest, r);
    }
    EXPECT_TRUE(himalaya > 1.0008f && himalaya == highest && highest < 1.0016f) << himalaya << " " << highest;
    EXPECT_TRUE(lowest > 0.9984f && lowest < 0.9995f) << lowest;
    // Every 8th point: rows 449, 441 ... 1 and 0, columns 0, 8 ... 896 and the seam.
    const LoadedEarthData coarse(elevationGrid(), 1.0f, ElevationGridShape{}, 8);
    EXPECT_EQ(coarse.vertices().size(), 2u + 58u * 114u);
    EXPECT_EQ(countInwardTriangles(coarse, 1), 0);
}

}  // namespace
}  // namespace earth
