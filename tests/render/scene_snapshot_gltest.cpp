// Stars, lit relief globe and a panel from the program's own data, in the frame's order;
// writes "scene-snapshot.png" for a person to look at.
#include "data/ResourceRegistry.h"
#include "data/SimulationClock.h"
#include "overlay/Overlay.h"
#include "render/EarthRenderer.h"
#include "render/PanelPlacement.h"
#include "render/PanelRenderer.h"
#include "render/Starfield.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <imgui.h>

#include <cmath>
#include <string>

namespace earth {
namespace {

using test::Rgba;

constexpr int kWidth = 1024;
constexpr int kHeight = 576;

bool programDataEmbedded() {
    for (int id : {517, 533, 549, 581, 585, 589, 593, 597, 601}) {
        if (!findResource("IMG", std::to_string(id))) return false;
    }
    return findResource("DATA", "942").has_value();
}

int brightness(const Rgba& p) { return (p.r + p.g + p.b) / 3; }

TEST(SceneSnapshotTest, LitGlobeWithNightLightsInsideTheSkyAndALegiblePanel) {
    ASSERT_TRUE(programDataEmbedded()) << "the program's imagery is not embedded";
    test::GlTestContext context;
    test::OffscreenTarget target(kWidth, kHeight);
    test::enableSceneState();

    SimulationClock clock;
    clock.setTime(6.0 * 3600.0);  // Europe and Africa near the terminator
    const float scale = 1.0f / 6378100.0f;
    Starfield stars;
    EarthRenderer globe(clock, scale);
    PanelRenderer panels;
    const FontTextureLease font;

    // Looking at the globe from the side, half lit by the light at (2, 2, 2).
    PanelCamera camera;
    camera.position = glm::vec3(2.6f, 0.4f, -1.2f);
    camera.forward = glm::normalize(-camera.position);
    camera.right = glm::normalize(glm::cross(camera.forward, glm::vec3(0, 1, 0)));
    camera.up = glm::cross(camera.right, camera.forward);
    // A name label at a satellite beside the lit limb, as a selection shows it.
    const glm::vec3 satellite(1.45f, 0.5f, 0.75f);
    const PanelPlacement place =
        placePanel(camera, false, satellite, glm::normalize(glm::vec3(0.0f, 0.3f, -1.0f)));
    for (int pass = 0; pass < 2; ++pass) {  // a new window is measured during its first frame
        panels.clear();
        Overlay::instance().beginPanel("25544", 1.0f / 60.0f);
        ImGui::TextUnformatted("ISS (ZARYA)");
        Overlay::instance().endPanel(panels, place.centre, place.right, place.up, place.scale);
    }
    panels.upload();

    const float aspect = static_cast<float>(kWidth) / kHeight;
    // The desktop projection: the value 45 handed over as radians.
    const glm::mat4 projection = glm::perspective(45.0f, aspect, 0.1f, 100.0f);
    const glm::mat4 view =
        glm::lookAt(camera.position, camera.position + camera.forward, camera.up);
    const glm::mat4 sky =
        projection * glm::lookAt(glm::vec3(0.0f), camera.forward, camera.up);
    target.begin();
    stars.draw(sky);
    globe.draw(projection, view);
    panels.draw(projection, view, font.texture());
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const auto pixels = target.read();
    target.writePng(pixels, "scene-snapshot.png");

    // Each pixel's ray meets the sphere (or not); the light's angle there says whether it is
    // day or night.
    const glm::vec4 viewport(0, 0, kWidth, kHeight);
    long lit = 0, dark = 0, litCount = 0, darkCount = 0, nightLights = 0, starPixels = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgba p = pixels[static_cast<std::size_t>(y) * kWidth + x];
            const glm::vec3 far =
                glm::unProject(glm::vec3(x + 0.5f, y + 0.5f, 1.0f), view, projection, viewport);
            const glm::vec3 d = glm::normalize(far - camera.position);
            const float b = glm::dot(camera.position, d);
            const float disc = b * b - (glm::dot(camera.position, camera.position) - 1.0f);
            if (disc < -0.02f) {  // clear of the globe and its relief
                if (brightness(p) > 20) ++starPixels;
                continue;
            }
            if (disc < 0.02f) continue;  // the limb
            const glm::vec3 surface = camera.position + d * (-b - std::sqrt(disc));
            const float c = glm::dot(surface, glm::normalize(glm::vec3(2.0f) - surface));
            if (c > 0.3f) {
                lit += brightness(p);
                ++litCount;
            } else if (c < -0.3f) {
                dark += brightness(p);
                ++darkCount;
                // The dark side's day colour is only 1 % ambient (at most 2.55 levels).
                if (brightness(p) > 15) ++nightLights;
            }
        }
    }
    ASSERT_GT(litCount, 1000);
    ASSERT_GT(darkCount, 1000);
    EXPECT_GT(lit / litCount, 2 * (dark / darkCount) + 5) << "day side brighter than night side";
    EXPECT_GT(nightLights, 50) << "city lights on the dark side";
    EXPECT_GT(starPixels, 50) << "stars around the globe";
}

}  // namespace
}  // namespace earth
