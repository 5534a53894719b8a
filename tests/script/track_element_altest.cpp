#include "audio/AudioSystem.h"
#include "script/ScriptElements.h"
#include "script/TrackElement.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

// A narration as a step of a script, driven the way the frame cycle drives it.

namespace earth {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int tone600ms = 60300;
constexpr int tone2s = 60302;

// The step after the narration; never finishes, so it stays in charge once reached.
class Marker : public IScriptElement {};

FrameInput frame(Control pressed = Control::Count) {
    FrameInput in;
    in.dt = 0.01f;
    if (pressed != Control::Count) in.pressed.set(static_cast<std::size_t>(pressed));
    in.held = in.pressed;
    return in;
}

// Runs frames of about 10 ms until `target` is in charge or the time is up.
double runFramesUntil(ScriptContext& ctx, const IScriptElement* target,
                      std::chrono::milliseconds limit) {
    const auto start = Clock::now();
    while (ctx.current != target && Clock::now() - start < limit) {
        std::this_thread::sleep_for(10ms);
        ctx.update(frame());
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class TrackElementTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!audio.available()) GTEST_SKIP() << "no OpenAL device (ALSOFT_DRIVERS=null)";
    }
    AudioSystem audio{1.0f};
    Marker after;
};

TEST_F(TrackElementTest, CompoundWaitsForTheNarrationAndSkipCutsItAtOnce) {
    TrackElement narration(audio, tone600ms);
    CompoundScriptElement step({&narration}, &after);
    ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, &step);
    EXPECT_TRUE(narration.track().isPlaying()) << "starting the step starts the track";
    const double seconds = runFramesUntil(ctx, &after, 5s);
    EXPECT_EQ(ctx.current, &after);
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 3.0);

    TrackElement longer(audio, tone2s);
    CompoundScriptElement second({&longer}, &after);
    ScriptContext skipped(nullptr, CameraFrame{}, 1000.0f, 0, &second);
    runFramesUntil(skipped, &after, 200ms);
    skipped.update(frame(Control::Skip));
    EXPECT_EQ(skipped.current, &after);  // within the skip's own frame
    EXPECT_FALSE(longer.track().isPlaying());
}

TEST_F(TrackElementTest, PauseHoldsTheNarrationAndResumeContinuesIt) {
    TrackElement narration(audio, tone2s);
    CompoundScriptElement step({&narration}, &after);
    ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, &step);
    runFramesUntil(ctx, &after, 300ms);
    ctx.update(frame(Control::Pause));
    EXPECT_TRUE(ctx.paused);
    const auto held = narration.track().positionMs();
    runFramesUntil(ctx, &after, 1300ms);  // frames go on; the script and the track stand still
    EXPECT_EQ(narration.track().positionMs(), held);

    ctx.update(frame(Control::Pause));
    const double seconds = runFramesUntil(ctx, &after, 5s);
    EXPECT_EQ(ctx.current, &after);
    // Only what was left of it played, not the whole track again.
    EXPECT_LT(seconds, (2000 - held) / 1000.0 + 1.5);
    EXPECT_GT(seconds, (2000 - held) / 1000.0 - 0.2);
}

TEST_F(TrackElementTest, SkipWhilePausedLeavesTheNextNarrationSilentUntilTheResume) {
    TrackElement first(audio, tone2s);
    TrackElement next(audio, tone2s);
    CompoundScriptElement nextStep({&next}, &after);
    CompoundScriptElement step({&first}, &nextStep);
    ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, &step);
    ctx.update(frame(Control::Pause));
    ctx.update(frame(Control::Skip));
    EXPECT_EQ(ctx.current, &nextStep);
    EXPECT_FALSE(first.track().isPlaying());
    EXPECT_FALSE(next.track().isPlaying()) << "picture and clock are frozen";
    EXPECT_FALSE(next.isFinished()) << "a step waiting for the resume is not over";
    runFramesUntil(ctx, &after, 300ms);
    EXPECT_EQ(ctx.current, &nextStep);
    ctx.update(frame(Control::Pause));
    EXPECT_TRUE(next.track().isPlaying());
}

TEST(TrackElementWithoutDevice, TourGoesOnWithoutTheNarration) {
    ::testing::internal::CaptureStdout();
    AudioSystem audio(1.0f, "no such sound device");
    Marker after;
    {
        TrackElement narration(audio, tone2s);
        CompoundScriptElement step({&narration}, &after);
        ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, &step);
        EXPECT_EQ(ctx.current, &after);  // the silent track counts as finished at once
    }
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("Invalid Device"), std::string::npos);
}

}  // namespace
}  // namespace earth
