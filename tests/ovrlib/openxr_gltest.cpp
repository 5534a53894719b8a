// The real-headset path against our own test runtime, selected with XR_RUNTIME_JSON.

#include "ovrlib/Headset.h"
#include "ovrlib/OpenXrRuntime.h"

#include "TestScene.h"
#include "support/GlTestContext.h"
#include "testxr/TestXrHooks.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstdlib>

namespace ovrlib {
namespace {

// The hooks of the very library the loader loads (dlopen hands out the same copy).
struct TestRuntime {
    void* library = dlopen(TEST_XR_RUNTIME_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    template <class F>
    F hook(const char* name) const {
        return library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
    }
    TestXrReset reset = hook<TestXrReset>("testxr_reset");
    TestXrSetConnected setConnected = hook<TestXrSetConnected>("testxr_setConnected");
    TestXrSetFailInit setFailInit = hook<TestXrSetFailInit>("testxr_setFailInit");
    TestXrSetHeadPose setHeadPose = hook<TestXrSetHeadPose>("testxr_setHeadPose");
    TestXrCount count = hook<TestXrCount>("testxr_count");
    TestXrSubmittedImage submittedImage = hook<TestXrSubmittedImage>("testxr_submittedImage");
};

class OpenXrPath : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(xr.library, nullptr) << dlerror();
        ASSERT_NE(xr.count, nullptr);
        xr.reset();
        setenv("XR_RUNTIME_JSON", TEST_XR_RUNTIME_JSON, 1);
    }
    void TearDown() override { unsetenv("XR_RUNTIME_JSON"); }

    void headYaw(float radians) {
        const float q[4] = {0.0f, std::sin(radians / 2), 0.0f, std::cos(radians / 2)};
        const float p[3] = {0.0f, 0.0f, 0.0f};
        xr.setHeadPose(q, p);
    }

    TestRuntime xr;
};

TEST_F(OpenXrPath, RendersBothEyesIntoTheSwapchainsAndFollowsTheHead) {
    earth::test::GlTestContext gl(640, 240);
    {
        HeadsetContext context;
        ASSERT_FALSE(context.usingFallback());
        Headset headset(&context);
        EXPECT_EQ(headset.description().productName, "Test headset");
        EXPECT_EQ(headset.resolution().width, 640);
        EXPECT_EQ(headset.resolution().height, 240);
        {
            auto state = headset.makeRenderState(gl.window());
            std::vector<Framebuffer> eyes;
            for (int eye = 0; eye < 2; ++eye) {
                EXPECT_EQ(state->eyeTextureSize[eye].width, 320);
                EXPECT_EQ(state->eyeTextureSize[eye].height, 240);
                eyes.emplace_back(state->eyeTextureSize[eye].width, state->eyeTextureSize[eye].height);
            }
            auto bound = state->bind(eyes[0].colorTexture(), eyes[1].colorTexture());
            headset.recenter();
            glEnable(GL_DEPTH_TEST);
            glEnable(GL_CULL_FACE);

            test::GreenSquare square;
            EyeCamera camera;
            camera.position = {0.0f, 0.0f, 3.0f};
            std::uint32_t frameIndex = 0;
            const auto frame = [&] {
                return renderHeadsetFrame(*bound, headset, eyes, frameIndex++, camera,
                                          [&](const glm::mat4& p, const glm::mat4& v, const glm::mat4& s) {
                                              square.draw(p, v, s);
                                          });
            };
            const auto submitted = [&] {
                std::array<test::Blob, 2> blobs;
                for (int eye = 0; eye < 2; ++eye) {
                    const GLuint image = xr.submittedImage(eye);
                    EXPECT_NE(image, 0u) << eye;
                    blobs[eye] = test::greenIn(test::readTexture(image, 320, 240), 320, 0, 320, 240);
                }
                return blobs;
            };

            for (int i = 0; i < 3; ++i) frame();
            EXPECT_EQ(xr.count("framesSubmitted"), 3);
            EXPECT_NE(xr.submittedImage(0), xr.submittedImage(1));
            const auto ahead = submitted();
            EXPECT_GT(ahead[0].count, 1000);
            EXPECT_GT(ahead[1].count, 1000);
            EXPECT_GT(ahead[0].centreX - ahead[1].centreX, 5.0);  // two eyes, two places

            headYaw(0.2f);  // the wearer turns to the left
            const Gaze turned = frame();
            const auto left = submitted();
            for (int eye = 0; eye < 2; ++eye) {
                EXPECT_GT(left[eye].centreX - ahead[eye].centreX, 15.0) << eye;
            }
            EXPECT_NEAR(turned.direction.x, -std::sin(0.2f), 1e-3f);

            headset.recenter();  // the turned head becomes straight ahead
            const Gaze again = frame();
            const auto recentred = submitted();
            for (int eye = 0; eye < 2; ++eye) {
                EXPECT_NEAR(recentred[eye].centreX, ahead[eye].centreX, 1.0) << eye;
            }
            EXPECT_NEAR(again.direction.x, 0.0f, 1e-3f);
            EXPECT_EQ(xr.count("framesSubmitted"), 5);
            EXPECT_EQ(xr.count("callOrderErrors"), 0);
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
            // The scene's teardown: rendering goes while the context is still current.
        }
        EXPECT_EQ(xr.count("liveSwapchains"), 0);
        EXPECT_EQ(xr.count("liveSessions"), 0);
        EXPECT_EQ(xr.count("releasedWithoutContext"), 0);
        EXPECT_EQ(xr.count("liveInstances"), 1);
    }
    EXPECT_EQ(xr.count("liveInstances"), 0);
}

TEST_F(OpenXrPath, NoHeadsetConnectedFallsBackToTheVirtualHeadset) {
    xr.setConnected(0);
    HeadsetContext context;
    Headset headset(&context);
    EXPECT_TRUE(context.usingFallback());
    EXPECT_EQ(headset.resolution().width, 2160);
    EXPECT_EQ(headset.resolution().height, 1200);
    EXPECT_EQ(xr.count("liveInstances"), 0);  // the OpenXR instance was given back
}

TEST_F(OpenXrPath, NoRuntimeInstalledFallsBackToTheVirtualHeadset) {
    setenv("XR_RUNTIME_JSON", "/nonexistent/orbitarium/runtime.json", 1);
    HeadsetContext context;
    Headset headset(&context);
    EXPECT_TRUE(context.usingFallback());
    EXPECT_EQ(headset.resolution().width, 2160);
}

TEST_F(OpenXrPath, ARuntimeThatWillNotStartIsAnError) {
    xr.setFailInit(1);
    try {
        HeadsetContext context;
        ADD_FAILURE() << "the context was built";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Failed to initialize headset runtime");
    }
    EXPECT_EQ(xr.count("liveInstances"), 0);
}

}  // namespace
}  // namespace ovrlib
