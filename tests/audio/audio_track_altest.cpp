#include "audio/AudioSystem.h"
#include "audio/AudioTrack.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

// Against OpenAL Soft's null device (ALSOFT_DRIVERS=null, set by the test runner): it mixes in
// real time on its own thread without any sound hardware.

namespace earth {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int tone600ms = 60300, monoTone300ms = 60301, tone2s = 60302, notVorbis = 60303;
constexpr int music24s = 101;  // longer than the queue: needs the refill worker

// Seconds until the track finished (at most ten).
double secondsToFinish(const AudioTrack& track) {
    const auto start = Clock::now();
    while (!track.isFinished() && Clock::now() - start < 10s) std::this_thread::sleep_for(5ms);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class AudioTrackTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!audio.available()) GTEST_SKIP() << "no OpenAL device (the runner sets ALSOFT_DRIVERS=null)";
    }
    AudioSystem audio{1.0f};
};

TEST_F(AudioTrackTest, PlaysInRealTimeToTheEndThenReportsFinished) {
    for (auto [id, lengthMs] : {std::pair{tone600ms, 600}, {monoTone300ms, 300}, {tone2s, 2000}}) {
        AudioTrack track(audio, id);
        EXPECT_EQ(track.lengthMs(), lengthMs);
        EXPECT_TRUE(track.isFinished()) << "a track never started counts as finished";
        track.play();
        EXPECT_TRUE(track.isPlaying());
        const double seconds = secondsToFinish(track);
        // About the track's length: not cut short and not stuck (a margin for a loaded machine).
        EXPECT_GT(seconds, lengthMs / 1000.0 - 0.1) << id;
        EXPECT_LT(seconds, lengthMs / 1000.0 + 3.0) << id;
        EXPECT_FALSE(track.isPlaying() || track.isPaused());
        EXPECT_EQ(track.positionMs(), lengthMs);
    }
}

TEST_F(AudioTrackTest, PauseHoldsThePositionResumeContinuesAndSkipEndsAtOnce) {
    AudioTrack track(audio, tone2s);
    track.play();
    std::this_thread::sleep_for(400ms);
    track.setPaused(true);
    const std::int64_t atPause = track.positionMs();
    EXPECT_GT(atPause, 200);
    EXPECT_TRUE(track.isPaused() && !track.isPlaying());
    std::this_thread::sleep_for(1200ms);  // the worker must not restart a paused source
    EXPECT_EQ(track.positionMs(), atPause);
    EXPECT_FALSE(track.isFinished());
    track.setPaused(false);
    EXPECT_TRUE(track.isPlaying() && !track.isPaused());
    std::this_thread::sleep_for(300ms);
    EXPECT_GT(track.positionMs(), atPause + 100);
    track.setPaused(true);  // skipped while paused: finished at once, and resuming does not revive it
    track.stop();
    EXPECT_TRUE(track.isFinished());
    EXPECT_FALSE(track.isPaused() || track.isPlaying());
    track.setPaused(false);
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(track.isFinished());
    track.play();  // play starts afresh
    EXPECT_FALSE(track.isFinished());
    EXPECT_LT(track.positionMs(), 250);
}

TEST_F(AudioTrackTest, QueueThatRanDryIsNotTakenForTheEnd) {
    // The lock held longer than the queue lasts starves the refill worker: the source plays what
    // was queued and stops. The track must pick up where it stopped and play on from there.
    AudioTrack track(audio, music24s);
    track.play();
    std::this_thread::sleep_for(300ms);
    {
        const AudioSystem::Lock starve(audio);
        std::this_thread::sleep_for(7s);
    }
    const std::int64_t resumedAt = track.positionMs();
    EXPECT_TRUE(track.isPlaying() && !track.isFinished());
    EXPECT_TRUE(resumedAt >= 5000 && resumedAt <= 7300) << resumedAt;
    std::this_thread::sleep_for(500ms);
    EXPECT_GT(track.positionMs(), resumedAt + 300);
}

TEST_F(AudioTrackTest, UndecodableTrackReportsAtLoadAndAtEveryPlay) {
    for (int id : {notVorbis, 69999}) {  // not Vorbis, and a missing resource
        ::testing::internal::CaptureStdout();
        {
            AudioTrack track(audio, id);
            EXPECT_FALSE(track.loaded());
            track.play();
            track.playLooped();
            track.setPaused(true);
            track.stop();
            EXPECT_TRUE(track.isFinished());
            EXPECT_EQ(track.lengthMs() + track.positionMs(), 0);
        }
        // Load, play and playLooped each say why, with the decoder's (negative) code and text.
        const std::string out = ::testing::internal::GetCapturedStdout();
        const std::string line = out.substr(0, out.find('\n') + 1);
        EXPECT_EQ(line.rfind("Audio error: (-", 0), 0u) << out;
        EXPECT_LT(line.find(") "), line.size() - 3) << out;  // and some text after the code
        EXPECT_EQ(out, line + line + line);
    }
}

}  // namespace
}  // namespace earth
