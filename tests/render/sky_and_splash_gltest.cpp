// The star cube with one plain colour per face (from moving eyes and behind the globe:
// frame_pictures_gltest), and the splash quad between a viewer on +Z and the globe.
#include "render/SplashScreens.h"
#include "render/Starfield.h"

#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>

namespace earth {
namespace {

using test::Rgba;

constexpr int kSize = 128;
// Face colours of the test images 60210 to 60215, in the order +X, -X, +Y, -Y, +Z, -Z.
const Rgba kFaceColours[6] = {{255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},
                              {255, 255, 0, 255}, {255, 0, 255, 255}, {0, 255, 255, 255}};

class SkyTest : public ::testing::Test {
protected:
    void SetUp() override { test::enableSceneState(); }

    // The frame's sky matrix: the projection times the view without its translation.
    std::vector<Rgba> render(const glm::vec3& eye, const glm::vec3& forward, const glm::vec3& up) {
        target.begin();
        const glm::mat4 view = glm::lookAt(eye, eye + forward, up);
        stars.draw(glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f) * glm::mat4(glm::mat3(view)));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return target.read();
    }

    test::GlTestContext context{kSize, kSize};
    test::OffscreenTarget target{kSize, kSize};
    Starfield stars{StarfieldFaces{60210, 60211, 60212, 60213, 60214, 60215}};
};

TEST_F(SkyTest, EachViewingDirectionShowsTheFaceTurnedThereByTheFixedRotation) {
    const glm::mat3 r(Starfield::fixedRotation());
    const glm::vec3 axes[] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    int movedFaces = 0;
    for (int f = 0; f < 6; ++f) {
        // Each face's centre is turned by R: looking along R times the face's axis shows that
        // face, far from its edges.
        const glm::vec3 d = r * axes[f];
        const auto pixels = render(glm::vec3(0.0f), d, std::abs(d.y) > 0.9f ? glm::vec3(0, 0, 1) : glm::vec3(0, 1, 0));
        EXPECT_EQ(pixels[static_cast<std::size_t>(kSize / 2) * kSize + kSize / 2], kFaceColours[f]) << f;
        const glm::vec3 a = glm::abs(d);
        const int unturned = a.x >= a.y && a.x >= a.z ? (d.x > 0 ? 0 : 1) : a.y >= a.z ? (d.y > 0 ? 2 : 3) : (d.z > 0 ? 4 : 5);
        if (unturned != f) ++movedFaces;
    }
    EXPECT_GE(movedFaces, 4) << "without the rotation most directions would show another face";
    GLboolean depthWrites = GL_FALSE;  // left on for what is drawn after the sky
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE);
}

TEST_F(SkyTest, SplashSelectorChoosesTheImageSeenFromTheFrontOnly) {
    SplashScreens splash{glm::vec3(0.0f, 0.0f, 1.75f), 1.25f, 2.0f, 60220, 60221};
    const Rgba orange{255, 128, 0, 255}, teal{0, 128, 128, 255}, black{0, 0, 0, 255};
    const auto render = [&](int selector, const glm::vec3& eye, const glm::vec3& towards) {
        target.begin();
        splash.draw(selector, glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f),
                    glm::lookAt(eye, towards, glm::vec3(0, 1, 0)));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return target.read();
    };
    const auto at = [](const std::vector<Rgba>& p, int x, int y) { return p[static_cast<std::size_t>(y) * kSize + x]; };
    for (int selector : {1, 2, 0, 3}) {
        const auto pixels = render(selector, glm::vec3(0.0f, 0.0f, 5.0f), glm::vec3(0.0f));
        EXPECT_EQ(at(pixels, kSize / 2, kSize / 2), selector == 1 ? orange : selector == 2 ? teal : black) << selector;
        if (selector != 1) continue;
        // Width 2 at distance 3.25 fills tan^-1(1 / 3.25) of the 22.5-degree half view:
        // 0.743 of the half picture; height 0.625 gives 0.464.
        EXPECT_EQ(at(pixels, kSize / 2 + 44, kSize / 2), orange);
        EXPECT_EQ(at(pixels, kSize / 2 + 52, kSize / 2), black);
        EXPECT_EQ(at(pixels, kSize / 2, kSize / 2 + 27), orange);
        EXPECT_EQ(at(pixels, kSize / 2, kSize / 2 + 33), black);
    }
    for (const Rgba& p : render(1, glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, 1.0f))) ASSERT_EQ(p, black) << "from behind";
    try {
        SplashScreens broken(glm::vec3(0.0f), 1.0f, 1.0f, 60220, 60999);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Missing image resource");
    }
}

}  // namespace
}  // namespace earth
