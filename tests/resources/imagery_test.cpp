// Checks over the embedded Earth maps, relief grid, star cube and splash screens: what the
// renderers assume about them, sampled at places whose answer is known independently.

#include "data/Resources.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

namespace earth {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct ImageShape {
    std::uint16_t id;
    int width;
    int height;
    int channels;
};

TEST(EmbeddedImages, DecodeWithTheShapesTheRenderersExpect) {
    const ImageShape shapes[] = {
        {517, 2048, 1024, 3}, {533, 2700, 1350, 3}, {549, 2700, 1350, 1},
        {581, 1024, 1024, 3}, {585, 1024, 1024, 4}, {589, 1024, 1024, 3},
        {593, 1024, 1024, 3}, {597, 1024, 1024, 4}, {601, 1024, 1024, 4},
        {602, 1152, 720, 4},  {603, 1152, 720, 4},
    };
    for (const ImageShape& s : shapes) {
        const Image image(s.id);
        EXPECT_EQ(image.width, s.width) << s.id;
        EXPECT_EQ(image.height, s.height) << s.id;
        EXPECT_EQ(image.channels, s.channels) << s.id;
    }
}

// Texel of a latitude/longitude on an equirectangular map with -180 at the left, north up.
unsigned char mapValue(const Image& map, double lat, double lon) {
    const int col = static_cast<int>(std::floor((lon + 180.0) / 360.0 * map.width));
    const int row = static_cast<int>(std::floor((90.0 - lat) / 180.0 * map.height));
    return map.pixels.get()[(static_cast<std::size_t>(row) * map.width + col) * map.channels];
}

struct Place {
    const char* name;
    double lat;
    double lon;
};

TEST(EmbeddedImages, SpecularMaskIsDarkOnLandAndBrightOnWater) {
    const Image mask(549);
    const Place land[] = {{"Sahara", 23, 13},       {"Central Australia", -25, 134},
                          {"Siberia", 62, 100},     {"Kansas", 38.5, -98},
                          {"Mato Grosso", -10, -55}, {"Antarctic plateau", -80, 30}};
    const Place water[] = {{"Equatorial Pacific", 0, -140}, {"North Atlantic", 35, -40},
                           {"Indian Ocean", -30, 80},       {"South Atlantic", -30, -15},
                           {"South Pacific", -45, -120},    {"Caspian Sea", 42, 50.5}};
    for (const Place& p : land) EXPECT_LE(mapValue(mask, p.lat, p.lon), 40) << p.name;
    for (const Place& p : water) EXPECT_GE(mapValue(mask, p.lat, p.lon), 215) << p.name;
}

TEST(EmbeddedImages, DayMapShowsOceanBlueAndDesertBrighterThanOcean) {
    const Image day(533);
    auto rgb = [&](double lat, double lon) {
        const int col = static_cast<int>((lon + 180.0) / 360.0 * day.width);
        const int row = static_cast<int>((90.0 - lat) / 180.0 * day.height);
        const unsigned char* p = day.pixels.get() + (static_cast<std::size_t>(row) * day.width + col) * 3;
        return std::array<int, 3>{p[0], p[1], p[2]};
    };
    const auto pacific = rgb(0, -140);
    EXPECT_GT(pacific[2], pacific[0]) << "ocean is blue, so the map is not flipped or shifted";
    const auto sahara = rgb(23, 13);
    EXPECT_GT(sahara[0] + sahara[1], pacific[0] + pacific[1]);
}

TEST(EmbeddedRelief, GridHasEveryRecordInLongitudeMajorOrder) {
    ResourceStream stream = openDataResource(942);
    EXPECT_EQ(stream.bytes().size(), 405000u * 24u);
    double record[3];
    std::size_t index = 0;
    double lowest = 1e9, highest = -1e9;
    while (stream.read(reinterpret_cast<char*>(record), sizeof record)) {
        const std::size_t column = index / 450, row = index % 450;
        ASSERT_NEAR(record[0], -180.0 + 0.4 * column, 1e-9) << index;
        ASSERT_NEAR(record[1], -90.0 + 0.4 * row, 1e-9) << index;
        lowest = std::min(lowest, record[2]);
        highest = std::max(highest, record[2]);
        ++index;
    }
    EXPECT_EQ(index, 405000u);
    EXPECT_GE(lowest, -11000.0);
    EXPECT_LE(highest, 8850.0);
}

double elevationAt(std::size_t column, std::size_t row) {
    const ResourceStream stream = openDataResource(942);
    double record[3];
    std::memcpy(record, stream.bytes().data() + (column * 450 + row) * 24, sizeof record);
    return record[2];
}

TEST(EmbeddedRelief, KnownPlacesHaveTheirHeights) {
    EXPECT_GT(elevationAt(667, 295), 4500.0) << "Everest region";
    EXPECT_LT(elevationAt(806, 253), -7000.0) << "Mariana trench";
    EXPECT_LT(elevationAt(450, 225), -3000.0) << "Gulf of Guinea, Greenwich at column 450";
    EXPECT_GT(elevationAt(482, 282), 0.0) << "Sahara";
}

// The cube texel a world direction falls on, through the renderer's fixed rotation R and the
// GL cube-map face selection.
struct CubeTexel {
    int face;  // 0..5: +X, -X, +Y, -Y, +Z, -Z
    int column;
    int row;
};

CubeTexel cubeTexel(const glm::vec3& world) {
    glm::mat4 r(1.0f);
    r = glm::rotate(r, 0.75f, glm::vec3(1, 0, 0));
    r = glm::rotate(r, 0.6f, glm::vec3(0, 1, 0));
    r = glm::rotate(r, 1.4f, glm::vec3(0, 0, 1));
    const glm::vec3 c = glm::transpose(glm::mat3(r)) * world;
    const float ax = std::fabs(c.x), ay = std::fabs(c.y), az = std::fabs(c.z);
    int face;
    float sc, tc, ma;
    if (ax >= ay && ax >= az) {
        face = c.x > 0 ? 0 : 1;
        sc = c.x > 0 ? -c.z : c.z;
        tc = -c.y;
        ma = ax;
    } else if (ay >= az) {
        face = c.y > 0 ? 2 : 3;
        sc = c.x;
        tc = c.y > 0 ? c.z : -c.z;
        ma = ay;
    } else {
        face = c.z > 0 ? 4 : 5;
        sc = c.z > 0 ? c.x : -c.x;
        tc = -c.y;
        ma = az;
    }
    const auto texel = [](float v, float m) {
        return std::clamp(static_cast<int>(std::floor(1024.0f * (v / m + 1.0f) / 2.0f)), 0, 1023);
    };
    return {face, texel(sc, ma), texel(tc, ma)};
}

TEST(EmbeddedStars, BrightStarsFallOnBrightTexelsInTheirTrueDirections) {
    struct Star {
        const char* name;
        double raHours;
        double decDegrees;
    };
    const Star stars[] = {{"Polaris", 2.530301, 89.264109},
                          {"Sirius", 6.752481, -16.716116},
                          {"Alnitak", 5.679313, -1.942572},
                          {"Alnilam", 5.603559, -1.201919},
                          {"Mintaka", 5.533445, -0.299092}};
    const std::uint16_t faceIds[6] = {593, 581, 597, 585, 601, 589};
    for (const Star& s : stars) {
        const double ra = s.raHours / 12.0 * kPi, dec = s.decDegrees / 180.0 * kPi;
        // +Y to the celestial pole, +Z to the vernal equinox.
        const glm::vec3 w(std::cos(dec) * std::sin(ra), std::sin(dec), std::cos(dec) * std::cos(ra));
        const CubeTexel t = cubeTexel(w);
        const Image face(faceIds[t.face]);
        // A float rounding may land one texel off; the disc is wider than that.
        int brightest = 0;
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                const int row = std::clamp(t.row + dr, 0, 1023), col = std::clamp(t.column + dc, 0, 1023);
                const unsigned char* p =
                    face.pixels.get() + (static_cast<std::size_t>(row) * 1024 + col) * face.channels;
                brightest = std::max({brightest, int(p[0]), int(p[1]), int(p[2])});
            }
        }
        EXPECT_GE(brightest, 128) << s.name << " on face " << t.face;
    }
}

TEST(EmbeddedSplash, ImagesLetTheEarthShowThrough) {
    for (const std::uint16_t id : {602, 603}) {
        const Image splash(id);
        std::size_t seeThrough = 0, opaque = 0;
        const std::size_t count = static_cast<std::size_t>(splash.width) * splash.height;
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char alpha = splash.pixels.get()[i * 4 + 3];
            seeThrough += alpha < 200;  // clear or a translucent backing panel
            opaque += alpha == 255;
        }
        EXPECT_GT(seeThrough, count * 3 / 4) << id;
        EXPECT_GT(opaque, count / 200) << id << " must carry legible, opaque text";
    }
}

}  // namespace
}  // namespace earth
