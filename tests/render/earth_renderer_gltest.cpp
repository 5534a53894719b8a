// The globe drawn offscreen over the embedded relief with maps whose colours say where they
// were sampled: day map red / (red + green) is the longitude, 60201 all black, 60202 blue.
// Water, the light's place in the view and the maps in the real colours: frame_pictures_gltest.
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

EarthResources testMaps(std::uint16_t night = 60202) {
    EarthResources r;
    r.day = 60200;
    r.specular = 60201;
    r.night = night;
    return r;
}

class EarthRendererTest : public ::testing::Test {
protected:
    void SetUp() override { test::enableSceneState(); }

    // The pixel at the centre of the picture seen from `eye`, looking at the Earth's centre.
    Rgba centre(EarthRenderer& earth, const glm::vec3& eye) {
        target.begin();
        earth.draw(projection, glm::lookAt(eye, glm::vec3(0.0f), glm::vec3(0, 1, 0)));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        const std::vector<Rgba> pixels = target.read();
        if (HasFailure()) target.writePng(pixels, "globe.png");
        return pixels[static_cast<std::size_t>(kSize / 2) * kSize + kSize / 2];
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
        const Rgba p = centre(earth, glm::vec3(0.0f, 0.0f, 3.0f));
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
    const Rgba night = centre(earth, glm::vec3(-2.0f));
    EXPECT_GE(night.b, 250);
    EXPECT_LE(std::max(night.r, night.g), 3);
    try {
        EarthRenderer broken(clock, scale, testMaps(60999));
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Missing image resource");
    }
}

TEST_F(EarthRendererTest, FartherViewsDrawCoarserLevels) {
    EarthRenderer earth(clock, scale, testMaps());
    const std::vector<float>& deviations = earth.levelDeviations();
    ASSERT_EQ(deviations.size(), 4u);
    std::printf("levels stray %.6f, %.6f, %.6f units from the finest\n", deviations[1], deviations[2], deviations[3]);
    EXPECT_TRUE(std::is_sorted(deviations.begin(), deviations.end()) && deviations[1] > 0.0f);
    std::vector<std::size_t> levels;
    for (float distance : {1.05f, 1.5f, 3.0f, 30.0f}) {
        centre(earth, glm::vec3(0.0f, 0.0f, distance));
        levels.push_back(earth.lastLevel());
    }
    EXPECT_TRUE(std::is_sorted(levels.begin(), levels.end()));
    EXPECT_EQ(levels.front(), 0u);
    EXPECT_EQ(levels.back(), 3u);
}

}  // namespace
}  // namespace earth
