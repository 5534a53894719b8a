// The globe drawn offscreen over the embedded relief with maps whose colours say where they
// were sampled: day map red / (red + green) is the longitude, 60201 all black, 60202 blue,
// 60203 all water.
#include "render/EarthRenderer.h"

#include "data/SimulationClock.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace earth {
namespace {

using test::Rgba;

constexpr int kSize = 256;

EarthResources testMaps(std::uint16_t specular = 60201, std::uint16_t night = 60202) {
    EarthResources r;
    r.day = 60200;
    r.specular = specular;
    r.night = night;
    return r;
}

class EarthRendererTest : public ::testing::Test {
protected:
    void SetUp() override { test::enableSceneState(); }

    std::vector<Rgba> render(EarthRenderer& earth, const glm::vec3& eye, const glm::vec3& up = {0, 1, 0}) {
        target.begin();
        earth.draw(projection, glm::lookAt(eye, glm::vec3(0.0f), up));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const std::vector<Rgba> pixels = target.read();
        if (HasFailure()) target.writePng(pixels, "globe.png");
        return pixels;
    }
    static const Rgba& at(const std::vector<Rgba>& pixels, int x, int y) {
        return pixels[static_cast<std::size_t>(y) * kSize + x];
    }

    test::GlTestContext context{kSize, kSize};
    test::OffscreenTarget target{kSize, kSize};
    SimulationClock clock;
    float scale = 1.0f / 6378100.0f;
    const glm::mat4 projection = glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f);
};

TEST_F(EarthRendererTest, DayMapTurnsWithTheSiderealTimeAndNightLightsShowOnTheDarkSide) {
    EarthRenderer earth(clock, scale, testMaps());
    for (double seconds : {0.0, 86164.09053 / 4.0, 86164.09053, 5 * 3600.0}) {
        SCOPED_TRACE(seconds);
        clock.setTime(seconds);
        const Rgba p = at(render(earth, glm::vec3(0.0f, 0.0f, 3.0f)), kSize / 2, kSize / 2);
        // The centre faces the light at cos = 1/3: 0.01 ambient + 0.5 x 1/3 diffuse of the
        // day colour, whose red and green add to 255. Two levels of rounding either way.
        EXPECT_NEAR(p.r + p.g, 255.0 * (0.01 + 0.5 / 3.0), 2.0);
        EXPECT_LE(p.b, 1) << "no night light on the lit side";
        // The published mean sidereal time (2014-11-21 00:00 is 5437.5 days after J2000):
        // a viewer on +Z looks down on longitude -GMST. 45 levels carry the ratio red /
        // (red + green): about 1/90 of a turn, 4 degrees, plus a rounding level.
        const double gmstHours = std::fmod(18.697374558 + 24.06570982441908 * (5437.5 + seconds / 86400.0), 24.0);
        const double longitude = static_cast<double>(p.r) / (p.r + p.g) * 360.0 - 180.0;
        EXPECT_NEAR(std::remainder(longitude + gmstHours * 15.0, 360.0), 0.0, 6.0);
    }
    // From the point opposite the light (2, 2, 2) the centre faces away from it: c = -1, the
    // night map at full weight over 1 % ambient of the day colour.
    const Rgba night = at(render(earth, glm::vec3(-2.0f)), kSize / 2, kSize / 2);
    EXPECT_GE(night.b, 250);
    EXPECT_LE(std::max(night.r, night.g), 3);
}

TEST_F(EarthRendererTest, WaterShowsTheSunsHighlight) {
    EarthRenderer land(clock, scale, testMaps(60201));
    EarthRenderer water(clock, scale, testMaps(60203));
    const glm::vec3 eye(0.0f, 0.0f, 3.0f);
    // The mirror point: where the normal halves the angle between light and eye.
    glm::vec3 normal = glm::normalize(glm::normalize(glm::vec3(2.0f)) + glm::vec3(0.0f, 0.0f, 1.0f));
    for (int i = 0; i < 20; ++i) {  // a point of the sphere, not of the far-away limit
        normal = glm::normalize(glm::normalize(glm::vec3(2.0f) - normal) + glm::normalize(eye - normal));
    }
    const glm::vec3 p = glm::project(normal, glm::lookAt(eye, glm::vec3(0.0f), glm::vec3(0, 1, 0)),
                                     projection, glm::vec4(0, 0, kSize, kSize));
    const Rgba a = at(render(land, eye), int(p.x), int(p.y));
    const Rgba b = at(render(water, eye), int(p.x), int(p.y));
    // The highlight adds 0.5 x a^5 of white, where a is a little under 1 because the view
    // vector is normalised with its w of 1 (here |V| = 0.91, so about 78 levels).
    EXPECT_GT(b.b - a.b, 50);
    EXPECT_GT(b.r, a.r);
}

TEST_F(EarthRendererTest, TurningTheCameraDoesNotMoveTheLitSide) {
    EarthRenderer earth(clock, scale, testMaps());
    // Two views from the same place, one rolled by 90 degrees (up = +X): the lit half stays
    // on the side towards (2, 2, 2) in the world, so it turns with the picture, as the day map
    // does: pixel (x, y) of the upright view is pixel (kSize - 1 - y, x) of the rolled one.
    const auto upright = render(earth, glm::vec3(0.0f, 0.0f, 3.0f));
    const auto rolled = render(earth, glm::vec3(0.0f, 0.0f, 3.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    int differing = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const Rgba a = at(upright, x, y), b = at(rolled, kSize - 1 - y, x);
            if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 6) ++differing;
        }
    }
    EXPECT_LT(differing, kSize * 4) << "more than the edge pixels differ";
}

TEST_F(EarthRendererTest, FartherViewsDrawCoarserLevels) {
    EarthRenderer earth(clock, scale, testMaps());
    const std::vector<float>& deviations = earth.levelDeviations();
    ASSERT_EQ(deviations.size(), 4u);
    for (std::size_t i = 1; i < deviations.size(); ++i) {
        std::printf("level %zu strays %.6f units from the finest\n", i, deviations[i]);
        EXPECT_GT(deviations[i], deviations[i - 1]);
    }
    std::vector<std::size_t> levels;
    for (float distance : {1.05f, 1.5f, 3.0f, 30.0f}) {
        render(earth, glm::vec3(0.0f, 0.0f, distance));
        levels.push_back(earth.lastLevel());
    }
    EXPECT_TRUE(std::is_sorted(levels.begin(), levels.end()));
    EXPECT_EQ(levels.front(), 0u);
    EXPECT_EQ(levels.back(), 3u);
}

TEST_F(EarthRendererTest, MissingMapsFailWithTheResourceMessage) {
    try {
        EarthRenderer earth(clock, scale, testMaps(60201, 60999));
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Missing image resource");
    }
}

}  // namespace
}  // namespace earth
