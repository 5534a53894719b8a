#include "ovrlib/Headset.h"
#include "ovrlib/VirtualHeadsetRuntime.h"

#include "FakeHeadsetRuntime.h"
#include "TestScene.h"
#include "support/GlTestContext.h"

#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <cmath>

namespace ovrlib {
namespace {

using test::greenIn;

TEST(Framebuffer, IsCompleteWithColourAndDepthAndBindsItsViewport) {
    earth::test::GlTestContext gl;
    Framebuffer fb(64, 32);
    ASSERT_NE(fb.framebuffer(), 0u);
    ASSERT_NE(fb.colorTexture(), 0u);
    fb.bind();
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(GLuint(bound), fb.framebuffer());
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 64);
    EXPECT_EQ(viewport[3], 32);
    GLint depthType = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &depthType);
    EXPECT_EQ(depthType, GL_RENDERBUFFER);
    // What is drawn lands in the colour texture the runtime will receive.
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    const auto pixels = test::readTexture(fb.colorTexture(), 64, 32);
    EXPECT_EQ(pixels[0], 255);
    EXPECT_EQ(pixels[1], 0);
    EXPECT_EQ(pixels[(32 * 64 - 1) * 4], 255);

    Framebuffer moved(std::move(fb));
    EXPECT_EQ(fb.framebuffer(), 0u);
    EXPECT_EQ(fb.colorTexture(), 0u);
    EXPECT_NE(moved.colorTexture(), 0u);
    // The names die with their last owner, and only then.
    const GLuint texture = moved.colorTexture();
    const GLuint framebuffer = moved.framebuffer();
    {
        Framebuffer last(std::move(moved));
        EXPECT_TRUE(glIsTexture(texture));
        EXPECT_TRUE(glIsFramebuffer(framebuffer));
    }
    EXPECT_FALSE(glIsTexture(texture));
    EXPECT_FALSE(glIsFramebuffer(framebuffer));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(Framebuffer, ImpossibleSizesAreRefused) {
    earth::test::GlTestContext gl;
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    const std::pair<int, int> sizes[] = {{0, 32}, {64, 0}, {-5, -5}, {maxSize * 2, 16}};
    for (auto [w, h] : sizes) {
        try {
            Framebuffer fb(w, h);
            ADD_FAILURE() << w << "x" << h << " was accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Failed to create framebuffer") << w << "x" << h;
        }
        while (glGetError() != GL_NO_ERROR) {
        }
    }
}

TEST(RenderHeadsetFrame, DrawsEachEyeIntoItsOwnTargetInTheDevicesOrder) {
    earth::test::GlTestContext gl;
    for (const std::array<int, 2> order : {std::array<int, 2>{0, 1}, std::array<int, 2>{1, 0}}) {
        auto log = std::make_shared<test::RuntimeLog>();
        auto runtime = std::make_unique<test::FakeHeadsetRuntime>(log, "fake");
        runtime->editDescription().eyeRenderOrder = order;
        runtime->poses[1].orientation = glm::angleAxis(0.3f, glm::vec3(0, 1, 0));
        auto* fake = runtime.get();
        HeadsetContext context(std::move(runtime), nullptr);
        Headset headset(&context);
        auto state = headset.makeRenderState(gl.window());
        std::vector<Framebuffer> eyes;
        eyes.emplace_back(40, 30);
        eyes.emplace_back(50, 20);
        auto bound = state->bind(eyes[0].colorTexture(), eyes[1].colorTexture());
        EyeCamera camera;
        camera.position = {0.0f, 0.0f, 3.0f};

        std::vector<int> drawn;
        std::vector<glm::mat4> views;
        const Gaze gaze = renderHeadsetFrame(
            *bound, headset, eyes, 7, camera,
            [&](const glm::mat4& p, const glm::mat4& v, const glm::mat4&) {
                GLint target = 0, viewport[4] = {};
                glGetIntegerv(GL_FRAMEBUFFER_BINDING, &target);
                glGetIntegerv(GL_VIEWPORT, viewport);
                const int eye = GLuint(target) == eyes[0].framebuffer() ? 0 : 1;
                EXPECT_EQ(GLuint(target), eyes[eye].framebuffer());
                EXPECT_EQ(viewport[2], eyes[eye].width());
                EXPECT_EQ(viewport[3], eyes[eye].height());
                EXPECT_EQ(p, state->eyeProjection[eye]);
                drawn.push_back(eye);
                views.push_back(v);
            });
        EXPECT_EQ(drawn, (std::vector<int>{order[0], order[1]}));
        EXPECT_EQ(fake->lastBegin, 7u);
        EXPECT_EQ(fake->lastEnd, 7u);
        // Each eye is drawn with its own pose; the gaze follows the left eye (not turned here).
        EXPECT_NE(views[0], views[1]);
        EXPECT_NEAR(gaze.direction.z, -1.0f, 1e-6f);
    }
}

// The scene's side of a headset frame, as the program does it.
struct VirtualRig {
    earth::test::GlTestContext gl{1080, 600};
    HeadsetContext context{std::make_unique<VirtualHeadsetRuntime>(), nullptr};
    Headset headset{&context};
    VirtualHeadsetRuntime& runtime = static_cast<VirtualHeadsetRuntime&>(context.runtime());
    std::shared_ptr<GlRenderState> state;
    std::vector<Framebuffer> eyes;
    std::shared_ptr<BoundGlRenderState> bound;
    test::GreenSquare square;
    EyeCamera camera;
    std::uint32_t frameIndex = 0;

    VirtualRig() {
        state = headset.makeRenderState(gl.window());
        for (int eye = 0; eye < 2; ++eye) {
            eyes.emplace_back(state->eyeTextureSize[eye].width, state->eyeTextureSize[eye].height);
        }
        bound = state->bind(eyes[0].colorTexture(), eyes[1].colorTexture());
        headset.recenter();
        camera.position = {0.0f, 0.0f, 3.0f};
        glEnable(GL_CULL_FACE);
        glEnable(GL_DEPTH_TEST);
    }

    Gaze frame() {
        return renderHeadsetFrame(*bound, headset, eyes, frameIndex++, camera,
                                  [this](const glm::mat4& p, const glm::mat4& v, const glm::mat4& s) {
                                      square.draw(p, v, s);
                                  });
    }

    std::array<test::Blob, 2> halves() const {
        const auto display = runtime.readDisplay();
        const int w = VirtualHeadsetRuntime::kDisplayWidth, h = VirtualHeadsetRuntime::kDisplayHeight;
        return {greenIn(display, w, 0, w / 2, h), greenIn(display, w, w / 2, w / 2, h)};
    }
};

TEST(VirtualHeadset, DescribesADisplayOfTwoEyesSideBySide) {
    VirtualRig rig;
    EXPECT_EQ(rig.headset.resolution().width, 2160);
    EXPECT_EQ(rig.headset.resolution().height, 1200);
    EXPECT_FALSE(rig.headset.extendsDesktop());
    for (int eye = 0; eye < 2; ++eye) {
        EXPECT_EQ(rig.state->eyeTextureSize[eye].width, 1080) << eye;
        EXPECT_EQ(rig.state->eyeTextureSize[eye].height, 1200) << eye;
    }
    EXPECT_NEAR(rig.state->hmdToEyeOffset[1].x - rig.state->hmdToEyeOffset[0].x, 0.064f, 1e-6f);
}

TEST(VirtualHeadset, BothEyesReachTheDisplayEachFromItsOwnEye) {
    VirtualRig rig;
    rig.frame();
    rig.headset.dismissNotice();
    ASSERT_TRUE(rig.headset.noticeDismissed());
    rig.frame();
    EXPECT_EQ(rig.runtime.framesPresented(), 2u);
    const auto halves = rig.halves();
    // The same square appears in each half...
    EXPECT_GT(halves[0].count, 5000);
    EXPECT_GT(halves[1].count, 5000);
    EXPECT_NEAR(double(halves[0].count) / halves[1].count, 1.0, 0.2);
    // ...seen from two places: the left eye sees it further right than the right eye does.
    EXPECT_GT(halves[0].centreX - halves[1].centreX, 20.0);
    // The scene's GL state survives the presentation pass.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(VirtualHeadset, NoticeCoversBothEyesUntilDismissed) {
    VirtualRig rig;
    // Before anything is shown there is no notice to dismiss.
    rig.headset.dismissNotice();
    EXPECT_FALSE(rig.headset.noticeDismissed());
    rig.frame();
    EXPECT_TRUE(rig.runtime.noticeDisplayed());
    const auto covered = rig.halves();
    rig.frame();
    EXPECT_EQ(rig.halves()[0].count, covered[0].count);  // still there a frame later
    rig.headset.dismissNotice();
    rig.frame();
    const auto clear = rig.halves();
    for (int eye = 0; eye < 2; ++eye) {
        // The panel hid most of the square in the middle of each eye.
        EXPECT_GT(clear[eye].count, 4 * covered[eye].count + 1000) << eye;
    }
    EXPECT_FALSE(rig.runtime.noticeDisplayed());
}

TEST(VirtualHeadset, TurningTheHeadMovesTheViewAndRecentringUndoesIt) {
    VirtualRig rig;
    rig.frame();
    rig.headset.dismissNotice();
    const Gaze ahead = rig.frame();
    const auto before = rig.halves();
    EXPECT_NEAR(ahead.direction.z, -1.0f, 1e-5f);

    rig.runtime.turnHead(0.15f, 0.0f);  // to the left, as a drag to the left does
    const Gaze turned = rig.frame();
    const auto after = rig.halves();
    for (int eye = 0; eye < 2; ++eye) {
        EXPECT_GT(after[eye].centreX - before[eye].centreX, 50.0) << eye;  // the square moves right
    }
    EXPECT_NEAR(turned.direction.x, -std::sin(0.15f), 1e-4f);

    rig.headset.recenter();
    const Gaze again = rig.frame();
    const auto recentred = rig.halves();
    for (int eye = 0; eye < 2; ++eye) {
        EXPECT_NEAR(recentred[eye].centreX, before[eye].centreX, 1.0) << eye;
    }
    EXPECT_NEAR(again.direction.x, 0.0f, 1e-5f);
}

}  // namespace
}  // namespace ovrlib
