#include "audio/AudioSystem.h"
#include "audio/AudioTrack.h"
#include "script/ScriptElement.h"
#include "script/ScriptElements.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

// The track as a step of a script, driven through the running context the way the frame
// cycle drives it: update every frame, skip and pause as the user presses them.

namespace earth {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int tone600ms = 60300;
constexpr int tone2s = 60302;

// The step after the narration; never finishes, so it stays in charge once reached.
class Marker : public IScriptElement {
public:
    IScriptElement* start(ScriptContext&) override {
        ++starts;
        return nullptr;
    }
    int starts = 0;
};

// Runs frames of about 10 ms until the marker is in charge or the time is up.
double runFramesUntil(ScriptContext& ctx, const IScriptElement* target,
                      std::chrono::milliseconds limit) {
    const auto start = Clock::now();
    while (ctx.current != target && Clock::now() - start < limit) {
        std::this_thread::sleep_for(10ms);
        ctx.update(0.01f);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class AudioElementTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!audio.available()) {
            GTEST_SKIP() << "no OpenAL device (the runner sets ALSOFT_DRIVERS=null)";
        }
    }
    AudioSystem audio{1.0f};
    Marker after;
};

TEST_F(AudioElementTest, CompoundWaitsForTheNarrationToEnd) {
    AudioTrack narration(audio, tone600ms);
    CompoundScriptElement step({&narration}, &after);
    ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, &step);
    EXPECT_EQ(ctx.current, &step);
    EXPECT_TRUE(narration.isPlaying()) << "starting the step starts the track";
    const double seconds = runFramesUntil(ctx, &after, 5s);
    EXPECT_EQ(ctx.current, &after);
    EXPECT_EQ(after.starts, 1);
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 3.0);
}

TEST_F(AudioElementTest, TrackInChargeStaysThereAfterItEnds) {
    // It never hands over by itself; whoever follows it waits on isFinished.
    AudioTrack narration(audio, tone600ms);
    ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, &narration);
    runFramesUntil(ctx, nullptr, 1500ms);
    EXPECT_TRUE(narration.isFinished());
    EXPECT_EQ(ctx.current, &narration);
}

TEST_F(AudioElementTest, SkipCutsTheNarrationAndTheTourMovesOnAtOnce) {
    AudioTrack narration(audio, tone2s);
    CompoundScriptElement step({&narration}, &after);
    ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, &step);
    runFramesUntil(ctx, &after, 200ms);
    ASSERT_EQ(ctx.current, &step);
    ctx.onSkip();
    EXPECT_EQ(ctx.current, &after);  // within the skip itself, not a frame later
    EXPECT_TRUE(narration.isFinished());
    EXPECT_FALSE(narration.isPlaying());
}

TEST_F(AudioElementTest, PauseHoldsTheNarrationAndResumeContinuesIt) {
    AudioTrack narration(audio, tone2s);
    CompoundScriptElement step({&narration}, &after);
    ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, &step);
    runFramesUntil(ctx, &after, 300ms);
    ctx.togglePause();
    EXPECT_TRUE(ctx.paused);
    EXPECT_TRUE(narration.isPaused());
    const auto held = narration.positionMs();
    runFramesUntil(ctx, &after, 1300ms);  // frames go on; the script and the track stand still
    EXPECT_EQ(narration.positionMs(), held);
    EXPECT_EQ(ctx.current, &step);

    ctx.togglePause();
    EXPECT_FALSE(narration.isPaused());
    const double seconds = runFramesUntil(ctx, &after, 5s);
    EXPECT_EQ(ctx.current, &after);
    // Only what was left of it played, not the whole track again.
    EXPECT_LT(seconds, (2000 - held) / 1000.0 + 1.5);
    EXPECT_GT(seconds, (2000 - held) / 1000.0 - 0.2);
}

TEST(AudioElementWithoutDevice, TourGoesOnWithoutTheNarration) {
    ::testing::internal::CaptureStdout();
    AudioSystem audio(1.0f, "no such sound device");
    Marker after;
    {
        AudioTrack narration(audio, tone2s);
        CompoundScriptElement step({&narration}, &after);
        ScriptContext ctx(nullptr, CameraFrame{}, 1000.0f, 0, &step);
        EXPECT_EQ(ctx.current, &after);  // the silent track counts as finished at once
        ctx.togglePause();
        ctx.togglePause();
        ctx.onSkip();
    }
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "Audio error: (40961) Invalid Device\n");
}

}  // namespace
}  // namespace earth
