// The real-headset path against our own test runtime, selected with XR_RUNTIME_JSON.

#include "ovrlib/OpenXrRuntime.h"

#include "TestScene.h"
#include "testxr/TestXrHooks.h"

#include <gtest/gtest.h>

#include <GLFW/glfw3.h>
#include <dlfcn.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <optional>

namespace ovrlib {
namespace {

class OpenXrPath : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(library, nullptr) << dlerror();
        hook<TestXrReset>("testxr_reset")();
        setenv("XR_RUNTIME_JSON", TEST_XR_RUNTIME_JSON, 1);
    }
    void TearDown() override { unsetenv("XR_RUNTIME_JSON"); }
    // The hooks of the very library the loader loads (dlopen hands out the same copy).
    template <class F>
    F hook(const char* name) const {
        return reinterpret_cast<F>(dlsym(library, name));
    }
    int count(const char* name) const { return hook<TestXrCount>("testxr_count")(name); }
    void queueState(int state) const { hook<TestXrQueueState>("testxr_queueState")(state); }
    static bool closing(const test::HeadsetRig& rig) { return glfwWindowShouldClose(rig.gl.window()) == GLFW_TRUE; }
    std::array<test::Blob, 2> submitted() const {  // green in what each eye submitted last
        std::array<test::Blob, 2> blobs;
        for (int eye = 0; eye < 2; ++eye) {
            const GLuint image = hook<TestXrSubmittedImage>("testxr_submittedImage")(eye);
            blobs[eye] = test::greenIn(test::readTexture(image, 320, 240), 320, 0, 320, 240);
        }
        return blobs;
    }
    void expectReleased() const {  // nothing left behind, nothing released without the GL context
        for (const char* name : {"liveSwapchains", "liveSessions", "releasedWithoutContext", "callOrderErrors"}) {
            EXPECT_EQ(count(name), 0) << name;
        }
    }
    void* library = dlopen(TEST_XR_RUNTIME_LIBRARY, RTLD_NOW | RTLD_LOCAL);
};

TEST_F(OpenXrPath, RendersBothEyesIntoTheSwapchainsAndFollowsTheHead) {
    {
        test::HeadsetRig xr(640, 240, std::make_unique<HeadsetContext>());
        EXPECT_EQ(xr.headset.resolution().width * 1000 + xr.headset.resolution().height, 640240);  // not virtual
        for (int i = 0; i < 3; ++i) xr.frame();
        const auto ahead = submitted();
        EXPECT_GT(std::min(ahead[0].count, ahead[1].count), 1000);
        EXPECT_GT(ahead[0].centreX - ahead[1].centreX, 5.0);  // two eyes, two places
        const float yaw = 0.2f, q[4] = {0.0f, std::sin(yaw / 2), 0.0f, std::cos(yaw / 2)}, p[3] = {};
        hook<TestXrSetHeadPose>("testxr_setHeadPose")(q, p);  // the wearer turns to the left
        EXPECT_NEAR(xr.frame().direction.x, -std::sin(yaw), 1e-3f);
        const auto left = submitted();
        for (int eye = 0; eye < 2; ++eye) EXPECT_GT(left[eye].centreX - ahead[eye].centreX, 15.0) << eye;
        xr.headset.recenter();  // the turned head becomes straight ahead
        EXPECT_NEAR(xr.frame().direction.x, 0.0f, 1e-3f);
        const auto recentred = submitted();
        for (int eye = 0; eye < 2; ++eye) EXPECT_NEAR(recentred[eye].centreX, ahead[eye].centreX, 1.0) << eye;
        EXPECT_EQ(count("framesSubmitted"), 5);
        xr.release();
        expectReleased();
        EXPECT_EQ(count("liveInstances"), 1);
    }
    EXPECT_EQ(count("liveInstances"), 0);
}

TEST_F(OpenXrPath, FollowsTheSessionStatesTheRuntimeLeadsAndEndsOnExitOrLoss) {
    std::optional<test::HeadsetRig> rigs[2];  // one after the other: the loader allows one instance
    test::HeadsetRig& xr = rigs[0].emplace(640, 240, std::make_unique<HeadsetContext>());
    xr.frame();
    EXPECT_EQ(count("runningSessions"), 1);  // begun on READY
    queueState(XR_SESSION_STATE_STOPPING);     // ended; idle frames wait for the runtime
    xr.frame();
    EXPECT_EQ(count("runningSessions"), 0);
    const int submittedBefore = count("framesSubmitted");
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 3; ++i) xr.frame();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
    EXPECT_EQ(count("framesSubmitted"), submittedBefore);
    queueState(XR_SESSION_STATE_READY);  // begun again: frames flow
    for (int i = 0; i < 2; ++i) xr.frame();
    EXPECT_EQ(count("runningSessions"), 1);
    EXPECT_GT(count("framesSubmitted"), submittedBefore);
    EXPECT_FALSE(closing(xr));
    queueState(0);  // the runtime asks to exit: STOPPING, then EXITING once the session ended
    for (int i = 0; i < 3 && !closing(xr); ++i) xr.frame();
    EXPECT_TRUE(closing(xr));
    EXPECT_EQ(count("runningSessions"), 0);
    xr.release();
    expectReleased();
    rigs[0].reset();
    test::HeadsetRig& lost = rigs[1].emplace(640, 240, std::make_unique<HeadsetContext>());  // a session lost: closes too
    lost.frame();
    queueState(XR_SESSION_STATE_LOSS_PENDING);
    lost.frame();
    EXPECT_TRUE(closing(lost));
    lost.release();
    expectReleased();
}

// A runtime that cannot be loaded, or no headset, is the virtual headset (the loader's reason
// as one line); a runtime that loads and then fails stops with the exact message.
TEST_F(OpenXrPath, EveryFailureEndsInTheVirtualHeadsetOrTheExactMessage) {
    const std::string dir = ::testing::TempDir(), ours = TEST_XR_RUNTIME_JSON;
    std::ofstream(dir + "garbage.json") << "not json{";
    std::ofstream(dir + "nolib.json") << R"({"file_format_version": "1.0.0", "runtime": {"library_path": "/nonexistent/xr.so"}})";
    struct Case {
        std::string manifest;
        int fault;
        bool connected, fallback;
        const char* outcome;  // "virtual", or the message
        const char* line;     // what the one line on stderr says, or nullptr for none
    } cases[] = {
        {ours, 0, false, true, "virtual", nullptr},  // a runtime, but no headset plugged in
        {"/nonexistent/runtime.json", 0, true, true, "virtual", "failed to open /nonexistent/runtime.json"},
        {dir + "garbage.json", 0, true, true, "virtual", "failed to parse"},
        {dir + "nolib.json", 0, true, true, "virtual", "/nonexistent/xr.so does not appear to exist"},
        {ours, 1, true, true, "Failed to initialize headset runtime", "xrCreateInstance failed"},
        {ours, 0, false, false, "Failed to initialize headset", nullptr},  // nothing to fall back on
        {ours, 2, true, true, "Unable to configure tracking", nullptr},
        {ours, 3, true, true, "Unable to configure rendering", "xrCreateSession failed"},
    };
    earth::test::GlTestContext gl;
    for (const Case& c : cases) {
        setenv("XR_RUNTIME_JSON", c.manifest.c_str(), 1);
        hook<TestXrSetFault>("testxr_setFault")(c.fault);
        hook<TestXrSetConnected>("testxr_setConnected")(c.connected);
        ::testing::internal::CaptureStderr();
        std::string outcome;
        try {
            auto context = c.fallback ? std::make_unique<HeadsetContext>()
                                      : std::make_unique<HeadsetContext>(std::make_unique<OpenXrRuntime>(), nullptr);
            Headset(context.get()).makeRenderState(gl.window());
            outcome = context->usingFallback() ? "virtual" : "OpenXR";
        } catch (const std::runtime_error& e) {
            outcome = e.what();
        }
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(outcome, c.outcome) << c.manifest;
        EXPECT_EQ(err.rfind("OpenXR: ", 0) == 0 && std::count(err.begin(), err.end(), '\n') == 1, c.line != nullptr) << err;
        EXPECT_TRUE(c.line == nullptr || err.find(c.line) != std::string::npos) << err;
        EXPECT_EQ(count("liveInstances") + count("liveSessions"), 0) << c.manifest;  // all given back
    }
}

}  // namespace
}  // namespace ovrlib
