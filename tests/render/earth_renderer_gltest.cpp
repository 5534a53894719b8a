// The globe drawn offscreen with maps whose colours say where they were sampled.
#include "render/EarthRenderer.h"

#include "data/SimulationClock.h"
#include "SeaLevelGlobe.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace earth {
namespace {

using test::Rgba;
using test::testMaps;

constexpr int kSize = 256;
constexpr float kSiderealDay = 86164.09053f;

// Sub-viewer longitude for a viewer on +Z, in degrees, computed from the mean sidereal time
// of the instant: the inertial +Z axis stands over longitude -GMST.
double subViewerLongitude(double secondsAfterEpoch) {
    const double daysSinceJ2000 = 5437.5 + secondsAfterEpoch / 86400.0;  // 2014-11-21 00:00
    const double gmstHours = std::fmod(18.697374558 + 24.06570982441908 * daysSinceJ2000, 24.0);
    return std::remainder(-gmstHours * 15.0, 360.0);
}

// Longitude in degrees read back from a pixel of the day map.
double longitudeOf(const Rgba& p) {
    const double u = static_cast<double>(p.r) / (p.r + p.g);
    return u * 360.0 - 180.0;
}

class EarthRendererTest : public ::testing::Test {
protected:
    void SetUp() override { test::enableSceneState(); }

    std::vector<Rgba> render(EarthRenderer& earth, const glm::vec3& eye,
                             const glm::vec3& up = glm::vec3(0.0f, 1.0f, 0.0f)) {
        target.begin();
        earth.draw(projection, glm::lookAt(eye, glm::vec3(0.0f), up));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return target.read();
    }
    Rgba centre(const std::vector<Rgba>& pixels) const {
        return pixels[static_cast<std::size_t>(kSize / 2) * kSize + kSize / 2];
    }
    void keepOnFailure(const std::vector<Rgba>& pixels, const std::string& name) {
        if (HasFailure()) target.writePng(pixels, name + ".png");
    }

    test::GlTestContext context{kSize, kSize};
    test::OffscreenTarget target{kSize, kSize};
    SimulationClock clock;
    float scale = 1.0f / 6378100.0f;
    const glm::mat4 projection = glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f);
};

TEST_F(EarthRendererTest, CentreShowsTheDayMapAtTheSubViewerLongitude) {
    EarthRenderer earth(clock, scale, testMaps());
    struct Case {
        const char* name;
        double seconds;
    };
    const Case cases[] = {{"epoch", 0.0},
                          {"quarter sidereal day", kSiderealDay / 4.0},
                          {"one sidereal day", kSiderealDay},
                          {"five hours", 5 * 3600.0}};
    for (const Case& c : cases) {
        clock.setTime(c.seconds);
        const auto pixels = render(earth, glm::vec3(0.0f, 0.0f, 3.0f));
        const Rgba p = centre(pixels);
        // The centre faces the light at cos = 1/3: 0.01 ambient + 0.5 x 1/3 diffuse of the
        // day colour, whose red and green add to 255. Two levels of rounding either way.
        EXPECT_NEAR(p.r + p.g, 255.0 * (0.01 + 0.5 / 3.0), 2.0) << c.name;
        EXPECT_LE(p.b, 1) << c.name << ": no night light on the lit side";
        // 45 levels carry the ratio: about 1/90 of a turn, 4 degrees, plus a rounding level.
        EXPECT_NEAR(std::remainder(longitudeOf(p) - subViewerLongitude(c.seconds), 360.0), 0.0,
                    6.0)
            << c.name << " at " << subViewerLongitude(c.seconds);
        keepOnFailure(pixels, std::string("globe-") + c.name);
    }
}

TEST_F(EarthRendererTest, NightSideShowsLightsNotDayColours) {
    EarthRenderer earth(clock, scale, testMaps());
    // From the point opposite the light (2, 2, 2) the centre faces away from it: c = -1.
    const auto pixels = render(earth, glm::vec3(-2.0f, -2.0f, -2.0f));
    const Rgba p = centre(pixels);
    EXPECT_GE(p.b, 250);  // the night map at full weight
    EXPECT_LE(p.r, 3);    // only the 1 % ambient of the day colour
    EXPECT_LE(p.g, 3);
    keepOnFailure(pixels, "globe-night");
}

TEST_F(EarthRendererTest, WaterShowsTheSunsHighlight) {
    EarthRenderer land(clock, scale, testMaps(60201));
    EarthRenderer water(clock, scale, testMaps(60203));
    const glm::vec3 eye(0.0f, 0.0f, 3.0f);
    // The mirror point: where the normal halves the angle between light and eye.
    const glm::vec3 toLight = glm::normalize(glm::vec3(2.0f) - glm::vec3(0.0f));
    glm::vec3 normal = glm::normalize(toLight + glm::vec3(0.0f, 0.0f, 1.0f));
    for (int i = 0; i < 20; ++i) {  // a point of the sphere, not of the far-away limit
        normal = glm::normalize(glm::normalize(glm::vec3(2.0f) - normal) +
                                glm::normalize(eye - normal));
    }
    const glm::mat4 view = glm::lookAt(eye, glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::vec4 clip = projection * view * glm::vec4(normal, 1.0f);
    const int x = static_cast<int>((clip.x / clip.w * 0.5f + 0.5f) * kSize);
    const int y = static_cast<int>((clip.y / clip.w * 0.5f + 0.5f) * kSize);
    const auto dry = render(land, eye);
    const auto wet = render(water, eye);
    const Rgba a = dry[static_cast<std::size_t>(y) * kSize + x];
    const Rgba b = wet[static_cast<std::size_t>(y) * kSize + x];
    // The highlight adds 0.5 x a^5 of white, where a is a little under 1 because the view
    // vector is normalised with its w of 1 (here |V| = 0.91, so about 78 levels).
    EXPECT_GT(b.b - a.b, 50) << "at " << x << "," << y;
    EXPECT_GT(b.r, a.r);
    keepOnFailure(wet, "globe-water");
}

TEST_F(EarthRendererTest, TurningTheCameraDoesNotMoveTheLitSide) {
    EarthRenderer earth(clock, scale, testMaps());
    // Two views from the same place, one rolled by 90 degrees: the lit half stays on the
    // side of the globe towards (2, 2, 2) in the world, so it turns with the picture.
    const auto upright = render(earth, glm::vec3(0.0f, 0.0f, 3.0f));
    const auto rolled = render(earth, glm::vec3(0.0f, 0.0f, 3.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    // With up = +X the world's +X is at the top of the picture and +Y to the left.
    int differing = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const Rgba a = upright[static_cast<std::size_t>(y) * kSize + x];
            // The upright picture's pixel (x, y) shows what the rolled one shows at
            // (kSize - 1 - y, x) when the picture is turned by a quarter.
            const Rgba b = rolled[static_cast<std::size_t>(x) * kSize + (kSize - 1 - y)];
            if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 6) ++differing;
        }
    }
    // The day map turns with the picture too, so only the edge pixels may differ.
    EXPECT_LT(differing, kSize * 4);
    keepOnFailure(rolled, "globe-rolled");
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
