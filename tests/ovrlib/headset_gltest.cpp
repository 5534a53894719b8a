#include "ovrlib/Headset.h"
#include "ovrlib/VirtualHeadsetRuntime.h"

#include "TestScene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ovrlib {
namespace {

TEST(Framebuffer, ItsNamesDieWithTheLastOwnerAndImpossibleSizesAreRefused) {
    earth::test::GlTestContext gl;
    Framebuffer fb(64, 32);
    const GLuint texture = fb.colorTexture(), framebuffer = fb.framebuffer();
    {
        Framebuffer last(std::move(fb));
        EXPECT_EQ(fb.colorTexture() + fb.framebuffer(), 0u);
        EXPECT_TRUE(glIsTexture(texture) && glIsFramebuffer(framebuffer));
    }
    EXPECT_FALSE(glIsTexture(texture) || glIsFramebuffer(framebuffer));
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    for (auto [w, h] : {std::pair{0, 32}, {64, 0}, {-5, -5}, {maxSize * 2, 16}}) {
        try {
            Framebuffer refused(w, h);
            ADD_FAILURE() << w << "x" << h << " was accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Failed to create framebuffer") << w << "x" << h;
        }
        while (glGetError() != GL_NO_ERROR) {
        }
    }
}

// The virtual headset read back from its display: both eyes, the notice until dismissed, a
// turned head, recentring.
TEST(VirtualHeadset, ShowsBothEyesTheNoticeAndFollowsTheHead) {
    test::HeadsetRig rig(1080, 600, std::make_unique<HeadsetContext>(std::make_unique<VirtualHeadsetRuntime>(), nullptr));
    auto& runtime = static_cast<VirtualHeadsetRuntime&>(rig.context->runtime());
    EXPECT_EQ(rig.headset.resolution().width * 10000 + rig.headset.resolution().height, 21601200);
    EXPECT_EQ(rig.state->eyeTextureSize[1].width * 10000 + rig.state->eyeTextureSize[1].height, 10801200);
    const auto frame = [&] {
        const Gaze gaze = rig.frame();
        const auto display = runtime.readDisplay();
        const int w = VirtualHeadsetRuntime::kDisplayWidth, h = VirtualHeadsetRuntime::kDisplayHeight;
        return std::tuple{gaze, test::greenIn(display, w, 0, w / 2, h), test::greenIn(display, w, w / 2, w / 2, h)};
    };
    rig.headset.dismissNotice();  // before anything is shown there is no notice to dismiss
    EXPECT_FALSE(rig.headset.noticeDismissed());
    const auto [g0, coveredLeft, coveredRight] = frame();
    EXPECT_TRUE(runtime.noticeDisplayed());
    rig.headset.dismissNotice();
    const auto [ahead, left, right] = frame();
    // The panel hid most of the square in the middle of each eye.
    EXPECT_GT(left.count, 4 * coveredLeft.count + 1000);
    EXPECT_GT(right.count, 4 * coveredRight.count + 1000);
    // The same square in each half, seen from two places: further right for the left eye.
    EXPECT_NEAR(double(left.count) / right.count, 1.0, 0.2);
    EXPECT_GT(left.centreX - right.centreX, 20.0);
    EXPECT_NEAR(ahead.direction.z, -1.0f, 1e-5f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_CULL_FACE));  // restored after presenting
    runtime.turnHead(0.15f, 0.0f);  // to the left, as a drag to the left does
    const auto [turned, turnedLeft, turnedRight] = frame();
    EXPECT_GT(turnedLeft.centreX - left.centreX, 50.0);  // the square moves right
    EXPECT_GT(turnedRight.centreX - right.centreX, 50.0);
    EXPECT_NEAR(turned.direction.x, -std::sin(0.15f), 1e-4f);
    rig.headset.recenter();
    const auto [again, backLeft, backRight] = frame();
    EXPECT_NEAR(backLeft.centreX, left.centreX, 1.0);
    EXPECT_NEAR(backRight.centreX, right.centreX, 1.0);
    EXPECT_NEAR(again.direction.x, 0.0f, 1e-5f);
    EXPECT_EQ(runtime.framesPresented(), 4u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
}  // namespace ovrlib
