#include "ovrlib/Headset.h"

#include "FakeHeadsetRuntime.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ovrlib {
namespace {

using test::FakeHeadsetRuntime;
using test::RuntimeLog;

struct Runtimes {
    std::shared_ptr<RuntimeLog> log = std::make_shared<RuntimeLog>();
    FakeHeadsetRuntime* primary = nullptr;
    FakeHeadsetRuntime* fallback = nullptr;
    RuntimeStatus fallbackStatus = RuntimeStatus::Ready;
    bool fallbackConnected = true;

    std::unique_ptr<HeadsetContext> context(RuntimeStatus status, bool connected = true,
                                            bool tracking = true) {
        auto runtime = std::make_unique<FakeHeadsetRuntime>(log, "real");
        runtime->status = status;
        runtime->deviceConnected = connected;
        runtime->trackingWorks = tracking;
        primary = runtime.get();
        return std::make_unique<HeadsetContext>(std::move(runtime), [this] {
            auto virt = std::make_unique<FakeHeadsetRuntime>(log, "virtual");
            virt->status = fallbackStatus;
            virt->deviceConnected = fallbackConnected;
            fallback = virt.get();
            return virt;
        });
    }
};

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(no exception)";
}

TEST(HeadsetContext, ChoosesTheBackEndByWhatTheRuntimeReports) {
    struct Case {
        const char* name;
        RuntimeStatus primary;
        RuntimeStatus fallback;
        const char* error;      // nullptr: builds
        bool usesFallback;
    } cases[] = {
        {"runtime ready", RuntimeStatus::Ready, RuntimeStatus::Ready, nullptr, false},
        {"nothing installed", RuntimeStatus::NoRuntime, RuntimeStatus::Ready, nullptr, true},
        {"runtime broken", RuntimeStatus::Failed, RuntimeStatus::Ready, "Failed to initialize headset runtime", false},
        {"nothing installed, fallback broken", RuntimeStatus::NoRuntime, RuntimeStatus::Failed,
         "Failed to initialize headset runtime", false},
    };
    for (const Case& c : cases) {
        Runtimes s;
        s.fallbackStatus = c.fallback;
        if (c.error != nullptr) {
            EXPECT_EQ(messageOf([&] { s.context(c.primary); }), c.error) << c.name;
            continue;
        }
        auto context = s.context(c.primary);
        EXPECT_EQ(context->usingFallback(), c.usesFallback) << c.name;
        EXPECT_EQ(&context->runtime(), c.usesFallback ? s.fallback : s.primary) << c.name;
    }
}

TEST(Headset, OpensTheConnectedDeviceOrFallsBackToTheVirtualOne) {
    struct Case {
        const char* name;
        bool connected;
        bool fallbackConnected;
        bool tracking;
        const char* error;
        const char* device;
    } cases[] = {
        {"headset connected", true, true, true, nullptr, "real"},
        {"no headset", false, true, true, nullptr, "virtual"},
        {"no device at all", false, false, true, "Failed to initialize headset", nullptr},
        {"tracking refused", true, true, false, "Unable to configure tracking", nullptr},
    };
    for (const Case& c : cases) {
        Runtimes s;
        s.fallbackConnected = c.fallbackConnected;
        auto context = s.context(RuntimeStatus::Ready, c.connected, c.tracking);
        if (c.error != nullptr) {
            EXPECT_EQ(messageOf([&] { Headset h(context.get()); }), c.error) << c.name;
            continue;
        }
        Headset headset(context.get());
        EXPECT_EQ(headset.description().productName, c.device) << c.name;
        EXPECT_EQ(s.log->count(std::string(c.device) + ".configureTracking"), 1) << c.name;
    }
}

TEST(Headset, DismissesTheNoticeOnceItIsShown) {
    Runtimes s;
    auto context = s.context(RuntimeStatus::Ready);
    Headset headset(context.get());
    // A press before the notice appears is not remembered.
    headset.dismissNotice();
    EXPECT_FALSE(headset.noticeDismissed());
    EXPECT_EQ(s.log->count("real.dismissNotice"), 0);
    s.primary->noticeUp = true;
    headset.dismissNotice();
    EXPECT_TRUE(headset.noticeDismissed());
    EXPECT_FALSE(s.primary->noticeUp);
    // Later presses leave the runtime alone.
    s.primary->noticeUp = true;
    headset.dismissNotice();
    headset.dismissNotice();
    EXPECT_EQ(s.log->count("real.dismissNotice"), 1);
    EXPECT_EQ(s.log->count("real.noticeDisplayed"), 2);
}

TEST(GlRenderState, TakesSizesProjectionsAndOffsetsFromTheRuntime) {
    Runtimes s;
    auto context = s.context(RuntimeStatus::Ready);
    Headset headset(context.get());
    auto state = headset.makeRenderState(nullptr);
    const auto& fov = s.primary->description().maxEyeFov;
    for (int eye = 0; eye < 2; ++eye) {
        EXPECT_EQ(state->eyeTextureSize[eye].width, int(100 * (fov[eye].left + fov[eye].right)) + eye);
        EXPECT_EQ(state->eyeTextureSize[eye].height, int(100 * (fov[eye].up + fov[eye].down)));
        EXPECT_EQ(state->eyeProjection[eye], projectionFromFov(fov[eye], 0.2f, 100.0f));
        EXPECT_FLOAT_EQ(state->hmdToEyeOffset[eye].x, eye == 0 ? -0.03f : 0.03f);
    }
    auto bound = state->bind(11, 12);
    EXPECT_EQ(bound->state, state.get());
    EXPECT_EQ(bound->eyeTexture[0].glTexture, 11u);
    EXPECT_EQ(bound->eyeTexture[1].glTexture, 12u);
    EXPECT_EQ(bound->eyeTexture[1].textureSize.width, state->eyeTextureSize[1].width);
}

TEST(GlRenderState, RefusedRenderingConfigurationIsAnError) {
    Runtimes s;
    auto context = s.context(RuntimeStatus::Ready);
    Headset headset(context.get());
    s.primary->renderingWorks = false;
    EXPECT_EQ(messageOf([&] { headset.makeRenderState(nullptr); }), "Unable to configure rendering");
}

TEST(EyeFrame, PairsBeginAndEndWithTheSameIndexAndHandsOverBothTextures) {
    Runtimes s;
    auto context = s.context(RuntimeStatus::Ready);
    Headset headset(context.get());
    auto state = headset.makeRenderState(nullptr);
    auto bound = state->bind(21, 22);
    s.primary->poses[0].position = {0.0f, 0.1f, 0.0f};
    {
        auto frame = bound->beginFrame(41);
        EXPECT_EQ(s.primary->lastBegin, 41u);
        EXPECT_EQ(s.primary->lastPoses, 41u);
        EXPECT_EQ(s.log->count("real.endFrame"), 0);
        // The eye poses carry the head-to-eye offsets the state asked with.
        EXPECT_FLOAT_EQ(frame->eyePose[0].position.x, -0.03f);
        EXPECT_FLOAT_EQ(frame->eyePose[0].position.y, 0.1f);
        EXPECT_EQ(frame->projection(1), state->eyeProjection[1]);
    }
    EXPECT_EQ(s.primary->lastEnd, 41u);
    EXPECT_EQ(s.primary->lastTextures[0].glTexture, 21u);
    EXPECT_EQ(s.primary->lastTextures[1].glTexture, 22u);
}

TEST(HeadsetTeardown, RenderingGoesFirstAndTheRuntimeShutsDownLast) {
    Runtimes s;
    {
        auto context = s.context(RuntimeStatus::Ready);
        {
            Headset headset(context.get());
            auto state = headset.makeRenderState(nullptr);
            auto bound = state->bind(1, 2);
            bound.reset();
            state.reset();  // the scene's teardown, while the window's context is current
            s.log->calls.push_back("window destroyed");
        }
    }
    std::vector<std::string> tail(s.log->calls.end() - 4, s.log->calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"real.releaseRendering", "window destroyed",
                                              "real.closeDevice", "real.shutdown"}));
}

}  // namespace
}  // namespace ovrlib
