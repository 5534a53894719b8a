// A narration as a step of a script, driven the way the frame cycle drives it. Without a sound
// device every narration counts as finished at once: the tour's test runs so.

#include "audio/AudioSystem.h"
#include "script/ScriptElements.h"
#include "script/TrackElement.h"
#include "ScriptFakes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace earth {
namespace {

using namespace std::chrono_literals;
using test::input;

constexpr int tone2s = 60302;

struct TrackElementTest : ::testing::Test {
    void SetUp() override {
        if (!audio.available()) GTEST_SKIP() << "no OpenAL device (ALSOFT_DRIVERS=null)";
    }
    // Runs frames of about 10 ms until `after` is in charge or the time is up; the seconds taken.
    double runFrames(ScriptContext& ctx, std::chrono::milliseconds limit) {
        const auto start = std::chrono::steady_clock::now();
        while (ctx.current != &after && std::chrono::steady_clock::now() - start < limit) {
            std::this_thread::sleep_for(10ms);
            ctx.update(input(0.01f));
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    AudioSystem audio{1.0f};
    ScriptTerminal after;  // never finishes, so it stays in charge once reached
};

// That a step waits for its narration to end shows in the pause test's timing.
TEST_F(TrackElementTest, SkipCutsTheNarrationAtOnce) {
    TrackElement narration(audio, tone2s);
    CompoundScriptElement step({&narration}, &after);
    ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, &step);
    EXPECT_TRUE(narration.track().isPlaying()) << "starting the step starts the track";
    runFrames(ctx, 200ms);
    ctx.update(input(0.01f, {Control::Skip}));
    EXPECT_EQ(ctx.current, &after);  // within the skip's own frame
    EXPECT_FALSE(narration.track().isPlaying());
}

TEST_F(TrackElementTest, PauseHoldsTheNarrationAndResumeContinuesIt) {
    TrackElement narration(audio, tone2s);
    CompoundScriptElement step({&narration}, &after);
    ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, &step);
    runFrames(ctx, 300ms);
    ctx.update(input(0.01f, {Control::Pause}));
    EXPECT_TRUE(ctx.paused);
    const auto held = narration.track().positionMs();
    runFrames(ctx, 1300ms);  // frames go on; the script and the track stand still
    EXPECT_EQ(narration.track().positionMs(), held);

    ctx.update(input(0.01f, {Control::Pause}));
    const double seconds = runFrames(ctx, 5s);
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
    ctx.update(input(0.01f, {Control::Pause}));
    ctx.update(input(0.01f, {Control::Skip}));
    EXPECT_EQ(ctx.current, &nextStep);
    EXPECT_FALSE(first.track().isPlaying());
    EXPECT_FALSE(next.track().isPlaying()) << "picture and clock are frozen";
    EXPECT_FALSE(next.isFinished()) << "a step waiting for the resume is not over";
    runFrames(ctx, 300ms);
    EXPECT_EQ(ctx.current, &nextStep);
    ctx.update(input(0.01f, {Control::Pause}));
    EXPECT_TRUE(next.track().isPlaying());
}

}  // namespace
}  // namespace earth
