// The splash quad between a viewer on +Z and the globe; seen from behind it is culled.
#include "render/SplashScreens.h"

#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <string>

namespace earth {
namespace {

using test::Rgba;

constexpr int kSize = 128;
const Rgba kOrange{255, 128, 0, 255};
const Rgba kTeal{0, 128, 128, 255};
const Rgba kBlack{0, 0, 0, 255};

class SplashScreensTest : public ::testing::Test {
protected:
    void SetUp() override { test::enableSceneState(); }

    std::vector<Rgba> render(int selector, const glm::vec3& eye, const glm::vec3& target_) {
        target.begin();
        const glm::mat4 projection = glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f);
        splash.draw(selector, projection, glm::lookAt(eye, target_, glm::vec3(0, 1, 0)));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return target.read();
    }
    Rgba at(const std::vector<Rgba>& p, int x, int y) const {
        return p[static_cast<std::size_t>(y) * kSize + x];
    }

    test::GlTestContext context{kSize, kSize};
    test::OffscreenTarget target{kSize, kSize};
    SplashScreens splash{glm::vec3(0.0f, 0.0f, 1.75f), 1.25f, 2.0f, 60220, 60221};
};

TEST_F(SplashScreensTest, SelectorChoosesTheImageSeenFromTheFront) {
    const glm::vec3 eye(0.0f, 0.0f, 5.0f);
    struct Case {
        int selector;
        Rgba centre;
    };
    const Case cases[] = {{1, kOrange}, {2, kTeal}, {0, kBlack}, {3, kBlack}};
    for (const Case& c : cases) {
        const auto pixels = render(c.selector, eye, glm::vec3(0.0f));
        EXPECT_EQ(at(pixels, kSize / 2, kSize / 2), c.centre) << "selector " << c.selector;
        if (c.selector == 1) {
            // Width 2 at distance 3.25 fills tan^-1(1 / 3.25) of the 22.5-degree half view:
            // 0.743 of the half picture; height 0.625 gives 0.464.
            EXPECT_EQ(at(pixels, kSize / 2 + 44, kSize / 2), kOrange);
            EXPECT_EQ(at(pixels, kSize / 2 + 52, kSize / 2), kBlack);
            EXPECT_EQ(at(pixels, kSize / 2, kSize / 2 + 27), kOrange);
            EXPECT_EQ(at(pixels, kSize / 2, kSize / 2 + 33), kBlack);
        }
    }
}

TEST_F(SplashScreensTest, SeenFromBehindTheQuadIsCulled) {
    const auto pixels = render(1, glm::vec3(0.0f, 0.0f, 0.0f), glm::vec3(0.0f, 0.0f, 1.0f));
    for (const Rgba& p : pixels) ASSERT_EQ(p, kBlack);
}

TEST_F(SplashScreensTest, MissingImageFailsWithTheResourceMessage) {
    try {
        SplashScreens broken(glm::vec3(0.0f), 1.0f, 1.0f, 60220, 60999);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Missing image resource");
    }
}

}  // namespace
}  // namespace earth
