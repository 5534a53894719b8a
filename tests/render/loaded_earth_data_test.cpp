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

using Elevation = std::function<double(double longitude, double latitude)>;

// Grid bytes in the resource's layout: longitude-major, column 0 at -180, row 0 at -90.
std::string makeGrid(ElevationGridShape shape, const Elevation& elevation) {
    std::string bytes(shape.recordCount() * kElevationRecordBytes, '\0');
    const double dLon = 360.0 / shape.columns;
    const double dLat = 180.0 / shape.rows;
    for (int c = 0; c < shape.columns; ++c) {
        for (int r = 0; r < shape.rows; ++r) {
            const double record[3] = {-180.0 + dLon * c, -90.0 + dLat * r,
                                      elevation(-180.0 + dLon * c, -90.0 + dLat * r)};
            std::memcpy(&bytes[(static_cast<std::size_t>(c) * shape.rows + r) * 24], record, 24);
        }
    }
    return bytes;
}

// The expected place of a surface point, in double precision and written the direct way.
glm::dvec3 expectedPosition(double lonDeg, double latDeg, double h, double radius) {
    const double pi = 3.14159265358979323846;
    const double lon = lonDeg * pi / 180.0;
    const double lat = latDeg * pi / 180.0;
    const double r = radius * (h + 6378100.0) / 6378100.0;
    return {r * std::cos(lat) * std::sin(lon), r * std::sin(lat), r * std::cos(lat) * std::cos(lon)};
}

void expectNear(const glm::vec3& actual, const glm::dvec3& expected, double tolerance,
                const std::string& what) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// Outward-facing counter-clockwise triangles have a normal that points away from the centre.
// Triangles with a collapsed edge (the last ring lies on the south pole) have no normal; the
// shortest real edge, along the ring nearest the north pole, is about 5e-5 at radius 1.
int countInwardTriangles(const LoadedEarthData& mesh, std::size_t stride) {
    const auto& v = mesh.vertices();
    const auto& idx = mesh.indices();
    int inward = 0;
    for (std::size_t t = 0; t * 3 < idx.size(); t += stride) {
        const glm::vec3 a = v[idx[3 * t]].position;
        const glm::vec3 b = v[idx[3 * t + 1]].position;
        const glm::vec3 c = v[idx[3 * t + 2]].position;
        const glm::vec3 n = glm::cross(b - a, c - a);
        const float shortest =
            std::min({glm::length(b - a), glm::length(c - b), glm::length(a - c)});
        if (shortest < 1e-5f) continue;
        if (glm::dot(n, a + b + c) <= 0.0f) ++inward;
    }
    return inward;
}

TEST(LoadedEarthDataTest, SmallGridFollowsRingOrder) {
    const ElevationGridShape shape{4, 3};
    // Like the real grid, one elevation for all the records at the pole.
    const auto height = [](double lon, double lat) {
        return 1000.0 * lon / 90.0 * std::cos(lat * 3.14159265358979 / 180.0) + lat;
    };
    const LoadedEarthData mesh(makeGrid(shape, height), 2.0f, shape);

    ASSERT_EQ(mesh.vertices().size(), 17u);  // 2 poles + 3 rings of 4 + 1
    ASSERT_EQ(mesh.indices().size(), 72u);   // 4 columns x (2 caps + 2 x 2 band triangles) x 3

    expectNear(mesh.vertices()[0].position, {0.0, 2.0, 0.0}, 1e-6, "north pole");
    expectNear(mesh.vertices()[16].position, {0.0, -2.0, 0.0}, 1e-6, "south pole");
    // Ring q holds grid row 2 - q, north to south; the fifth vertex closes the ring.
    for (int q = 0; q < 3; ++q) {
        for (int c = 0; c <= 4; ++c) {
            const MeshVertex& v = mesh.vertices()[1 + 5 * q + c];
            const double lon = -180.0 + 90.0 * (c % 4);
            const double lat = -90.0 + 60.0 * (2 - q);
            const std::string what = "ring " + std::to_string(q) + " column " + std::to_string(c);
            expectNear(v.position, expectedPosition(lon, lat, height(lon, lat), 2.0), 1e-5, what);
            EXPECT_NEAR(glm::length(v.normal), 1.0f, 1e-6f) << what;
            EXPECT_NEAR(v.uv.x, c / 4.0, 1e-6) << what;
            EXPECT_NEAR(v.uv.y, 1.0 - (lat + 90.0) / 180.0, 1e-6) << what;
        }
    }

    // Ring vertex v(q, c) = 1 + 5q + c; north cap, bands, south cap.
    const std::vector<std::uint32_t> expectedStart{0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 5,
                                                   2, 1, 6, 2, 6, 7, 3, 2, 7, 3, 7, 8};
    const std::vector<std::uint32_t> expectedEnd{12, 11, 16, 13, 12, 16, 14, 13, 16, 15, 14, 16};
    const auto& idx = mesh.indices();
    EXPECT_EQ(std::vector<std::uint32_t>(idx.begin(), idx.begin() + 24), expectedStart);
    EXPECT_EQ(std::vector<std::uint32_t>(idx.end() - 12, idx.end()), expectedEnd);
    EXPECT_EQ(countInwardTriangles(mesh, 1), 0);
}

TEST(LoadedEarthDataTest, FullGridCountsPolesSeamsAndFacesOutwards) {
    const auto relief = [](double lon, double lat) {
        return 3000.0 * std::sin(lon * 0.05) * std::cos(lat * 3.14159265358979 / 180.0) - 1000.0;
    };
    const LoadedEarthData mesh(makeGrid(ElevationGridShape{}, relief), 1.0f);
    const auto& v = mesh.vertices();
    ASSERT_EQ(v.size(), 405452u);
    ASSERT_EQ(mesh.indices().size(), 2430000u);
    expectNear(v[0].position, {0.0, 1.0, 0.0}, 1e-6, "north pole");
    expectNear(v[405451].position, {0.0, -1.0, 0.0}, 1e-6, "south pole");
    for (int q = 0; q < 450; q += 7) {
        const MeshVertex& first = v[1 + 901 * q];
        const MeshVertex& closing = v[1 + 901 * q + 900];
        EXPECT_EQ(closing.position, first.position) << "ring " << q;
        EXPECT_FLOAT_EQ(first.uv.x, 0.0f) << "ring " << q;
        EXPECT_FLOAT_EQ(closing.uv.x, 1.0f) << "ring " << q;
    }
    // The last ring is grid row 0 at latitude -90: every vertex on the polar axis.
    for (int c = 0; c <= 900; c += 50) {
        const glm::vec3 p = v[1 + 901 * 449 + c].position;
        EXPECT_NEAR(p.x, 0.0f, 1e-6f);
        EXPECT_NEAR(p.z, 0.0f, 1e-6f);
        EXPECT_LT(p.y, -0.99f);
    }
    EXPECT_EQ(*std::max_element(mesh.indices().begin(), mesh.indices().end()), 405451u);
    // Every 97th triangle: a prime stride walks through caps, bands and all columns.
    EXPECT_EQ(countInwardTriangles(mesh, 97), 0);
}

TEST(LoadedEarthDataTest, RejectsShortOrBrokenGrids) {
    const ElevationGridShape shape{4, 3};
    std::string grid = makeGrid(shape, [](double, double) { return 0.0; });
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    std::string nan = grid;
    const double notANumber = std::nan("");
    std::memcpy(&nan[5 * 24 + 16], &notANumber, 8);
    const Case cases[] = {
        {"one record short", grid.substr(0, grid.size() - 24), "Elevation grid holds 11 records, 12 needed"},
        {"half a record short", grid.substr(0, grid.size() - 12), "Elevation grid holds 11 records, 12 needed"},
        {"empty", std::string(), "Elevation grid holds 0 records, 12 needed"},
        {"not a number", nan, "Elevation grid record 5 holds a value that is not a finite number"},
    };
    for (const Case& c : cases) {
        try {
            LoadedEarthData mesh(c.bytes, 1.0f, shape);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), c.message) << c.name;
        }
    }
    EXPECT_THROW(LoadedEarthData(grid, 1.0f, ElevationGridShape{1, 3}), std::invalid_argument);
    EXPECT_THROW(LoadedEarthData(1.0f, 60999), std::runtime_error);  // no such resource
}

// The embedded grid: true-scale relief on the real Earth.
TEST(LoadedEarthDataTest, RealGridHasHimalayanRelief) {
    ASSERT_TRUE(findResource("DATA", "942")) << "elevation grid not embedded";
    const LoadedEarthData mesh(1.0f);
    ASSERT_EQ(mesh.vertices().size(), 405452u);
    float highest = 0.0f;
    float highestAnywhere = 0.0f;
    float lowestAnywhere = 2.0f;
    for (const MeshVertex& v : mesh.vertices()) {
        const float r = glm::length(v.position);
        const float lon = v.uv.x * 360.0f - 180.0f;
        const float lat = 90.0f - v.uv.y * 180.0f;
        if (lat > 26.0f && lat < 37.0f && lon > 75.0f && lon < 100.0f) highest = std::max(highest, r);
        highestAnywhere = std::max(highestAnywhere, r);
        lowestAnywhere = std::min(lowestAnywhere, r);
    }
    // A 0.4-degree grid averages the peaks away; its Himalayan cells still stand above
    // 5,100 m (1.0008), the highest of the whole Earth.
    EXPECT_GT(highest, 1.0008f);
    EXPECT_EQ(highest, highestAnywhere);
    // The relief stays within about 0.16 per cent of the radius.
    EXPECT_LT(highestAnywhere, 1.0016f);
    EXPECT_GT(lowestAnywhere, 0.9984f);
    EXPECT_LT(lowestAnywhere, 0.9995f);  // ocean trenches several kilometres deep
}

}  // namespace
}  // namespace earth
