// The program's pictures held to goldens: the tour's all-satellite view, the free camera's start
// with every orbit class in its colour, a ride on the space station, and the globe alone at
// three distances, from the program's own data at simulated time 0. The goldens hold 4x4 block
// means of the pictures that the full-detail globe with unfiltered maps and the geometry-stage
// tubes drew (this test on main at 175ae4e, before they changed), so they hold the cheaper
// drawing to the old pictures. ORBITARIUM_APPROVE_PICTURES=1 writes new goldens instead.
#include "render/EarthRenderer.h"
#include "render/SatelliteRenderer.h"
#include "render/Starfield.h"

#include "data/Catalogue.h"
#include "data/ClassColours.h"
#include "script/Camera.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace earth {
namespace {

using test::Rgba;

constexpr int kWidth = 800, kHeight = 448, kBlock = 4;
constexpr int kBlocksX = kWidth / kBlock, kBlocksY = kHeight / kBlock;

// In levels of 255, for block means. With shapes and colours unchanged, pixels differ only
// where they are covered a little differently: along thin tubes (drawn as flat ribbons of the
// tube's mean width), the relief's outline under half a pixel away, and maps sampled through
// mipmaps, which average fine detail (coasts, city lights) that one texel stood for. Most block
// means move by a level or two, a few by up to a third of the range where a bright thin line
// covers other pixels of its block. Tubes or relief moved, recoloured, lost or tapered move more.
constexpr double kMeanTolerance = 1.0;  // over all blocks and channels
constexpr int kWorstTolerance = 80;     // any block channel
constexpr int kLargeLevels = 16;        // a share of kLargeShare of the blocks may be beyond
constexpr double kLargeShare = 0.01;

enum class Shown { None, All, ByClass, Ride };
struct View {
    const char* name;
    Shown shown;
    float elevationDegrees, azimuthDegrees, distance;  // but for the ride
};
const View kViews[] = {
    {"tour-all-satellites", Shown::All, 16.0f, 172.0f, 8.0f},  // the tour's pose P3
    {"exploration-start", Shown::ByClass, 0.0f, 0.0f, 3.0f},
    {"ride", Shown::Ride, 0.0f, 0.0f, 0.0f},  // classes still coloured
    {"globe-near", Shown::None, 30.0f, 100.0f, 1.6f},
    {"globe-start", Shown::None, 0.0f, 0.0f, 3.0f},
    {"globe-far", Shown::None, -20.0f, 250.0f, 12.0f},
};

// A colour per orbit class (free exploration's); debris keeps its own grey.
std::vector<std::pair<int, glm::vec4>> classColours(const std::vector<Satellite>& catalogue) {
    std::vector<std::pair<int, glm::vec4>> byClass;
    for (const Satellite& s : catalogue) {
        if (!s.isDebris && s.orbitClass != OrbitClass::None) {
            byClass.emplace_back(s.catalogNumber, colours::ofClass(s.orbitClass));
        }
    }
    return byClass;
}

std::vector<Rgba> blockMeans(const std::vector<Rgba>& pixels) {
    std::vector<int> sums(3 * kBlocksX * kBlocksY, 0);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        int* sum = &sums[3 * ((i / kWidth / kBlock) * kBlocksX + i % kWidth / kBlock)];
        sum[0] += pixels[i].r, sum[1] += pixels[i].g, sum[2] += pixels[i].b;
    }
    std::vector<Rgba> means(static_cast<std::size_t>(kBlocksX) * kBlocksY);
    const auto mean = [](int sum) { return static_cast<std::uint8_t>((sum + kBlock * kBlock / 2) / (kBlock * kBlock)); };
    for (std::size_t i = 0; i < means.size(); ++i) means[i] = Rgba{mean(sums[3 * i]), mean(sums[3 * i + 1]), mean(sums[3 * i + 2]), 255};
    return means;
}

// Rows top to bottom in the file, bottom to top in GL.
void writeBlocks(const std::vector<Rgba>& blocks, const std::string& path) {
    stbi_flip_vertically_on_write(1);
    stbi_write_png(path.c_str(), kBlocksX, kBlocksY, 4, blocks.data(), kBlocksX * 4);
    stbi_flip_vertically_on_write(0);
}

std::vector<Rgba> readBlocks(const std::string& path) {
    stbi_set_flip_vertically_on_load(1);
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
    std::vector<Rgba> blocks;
    if (pixels != nullptr && width == kBlocksX && height == kBlocksY) {
        blocks.resize(static_cast<std::size_t>(width) * height);
        std::memcpy(blocks.data(), pixels, blocks.size() * 4);
    }
    stbi_image_free(pixels);
    stbi_set_flip_vertically_on_load(0);
    return blocks;
}

TEST(FramePicturesTest, MatchTheGoldensWithinTheStatedTolerance) {
    test::GlTestContext context(64, 64);
    test::OffscreenTarget target(kWidth, kHeight);
    test::enableSceneState();
    const std::vector<Satellite> catalogue = loadSatellites();
    SimulationClock clock;  // time 0
    Starfield stars;
    EarthRenderer globe(clock, 1.0f / 6378100.0f);
    SatelliteRenderer satellites(clock, catalogue);
    std::vector<int> all;
    for (const Satellite& s : catalogue) all.push_back(s.catalogNumber);
    const glm::mat4 projection = glm::perspective(45.0f, float(kWidth) / kHeight, 0.1f, 100.0f);
    const bool approve = std::getenv("ORBITARIUM_APPROVE_PICTURES") != nullptr;

    for (const View& v : kViews) {
        SCOPED_TRACE(v.name);
        satellites.setVisible(v.shown == Shown::None ? std::vector<int>{} : all);
        if (v.shown == Shown::ByClass) satellites.setColors(classColours(catalogue));
        satellites.propagate();  // the pass drawn, then the one positions come from
        satellites.propagate();
        const float toRadians = 3.14159265f / 180.0f;
        CameraFrame camera = fromAngles(v.elevationDegrees * toRadians, v.azimuthDegrees * toRadians, v.distance).frame;
        if (v.shown == Shown::Ride) {
            const auto at = satellites.getPosition(25544);
            ASSERT_TRUE(at) << "the space station is not in the catalogue";
            camera = lookFromPoint(at->position, at->direction).frame;
        }
        target.begin();
        const glm::mat4 view = glm::lookAt(camera.position, camera.position + camera.forward, camera.up);
        globe.draw(projection, view);  // the program's order: stars fill what the globe left
        stars.draw(projection * glm::lookAt(glm::vec3(0.0f), camera.forward, camera.up));
        satellites.draw(projection, view);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const std::vector<Rgba> pixels = target.read();
        const std::vector<Rgba> blocks = blockMeans(pixels);
        const std::string golden = std::string(ORBITARIUM_SOURCE_DIR) + "/tests/render/golden/" + v.name + ".png";
        if (approve) {
            writeBlocks(blocks, golden);
            continue;
        }
        const std::vector<Rgba> expected = readBlocks(golden);
        ASSERT_EQ(expected.size(), blocks.size()) << "no golden at " << golden;
        double sum = 0.0;
        int worst = 0;
        std::size_t large = 0;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const int d[3] = {std::abs(blocks[i].r - expected[i].r), std::abs(blocks[i].g - expected[i].g),
                              std::abs(blocks[i].b - expected[i].b)};
            sum += d[0] + d[1] + d[2];
            worst = std::max({worst, d[0], d[1], d[2]});
            large += std::max({d[0], d[1], d[2]}) > kLargeLevels ? 1 : 0;
        }
        const double mean = sum / (3.0 * blocks.size()), share = double(large) / blocks.size();
        std::printf("%-20s mean %.3f, worst %d, beyond %d %.4f\n", v.name, mean, worst, kLargeLevels, share);
        EXPECT_TRUE(mean <= kMeanTolerance && worst <= kWorstTolerance && share <= kLargeShare);
        if (::testing::Test::HasFailure()) {  // for a look beside the golden
            target.writePng(pixels, std::string(v.name) + "-actual.png");
            writeBlocks(blocks, std::string(v.name) + "-blocks.png");
        }
    }
}

}  // namespace
}  // namespace earth
