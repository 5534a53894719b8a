#include "audio/AudioSystem.h"
#include "audio/AudioTrack.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// These run against OpenAL Soft's null device (ALSOFT_DRIVERS=null, set by the test runner):
// it mixes in real time on its own thread without any sound hardware.

namespace earth {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int tone600ms = 60300;     // stereo
constexpr int monoTone300ms = 60301;  // mono
constexpr int tone2s = 60302;        // longer than the queued second: needs the refill worker
constexpr int notVorbis = 60303;

// Polls until the condition holds or the time is up; returns the seconds it took.
double waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto start = Clock::now();
    while (!condition() && Clock::now() - start < limit) std::this_thread::sleep_for(5ms);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The codes of the "Audio error: (code) text" lines in the output; a line of any other
// form, or one without its text, is recorded as 0 so that the comparison fails.
std::vector<int> errorCodes(const std::string& output) {
    std::vector<int> codes;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        int code = 0;
        int textStart = 0;
        if (std::sscanf(line.c_str(), "Audio error: (%d) %n", &code, &textStart) != 1 ||
            textStart == 0 || line.size() <= static_cast<std::size_t>(textStart)) {
            code = 0;
        }
        codes.push_back(code);
    }
    return codes;
}

class AudioTrackTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!audio.available()) {
            GTEST_SKIP() << "no OpenAL device (the runner sets ALSOFT_DRIVERS=null)";
        }
    }
    AudioSystem audio{1.0f};
};

struct LengthCase {
    int id;
    std::int64_t lengthMs;
};

class PlaysToTheEnd : public AudioTrackTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(PlaysToTheEnd, InRealTimeThenReportsFinished) {
    const LengthCase& c = GetParam();
    AudioTrack track(audio, c.id);
    ASSERT_TRUE(track.loaded());
    EXPECT_EQ(track.lengthMs(), c.lengthMs);
    EXPECT_TRUE(track.isFinished()) << "a track never started counts as finished";
    EXPECT_EQ(track.positionMs(), 0);

    track.play();
    EXPECT_TRUE(track.isPlaying());
    EXPECT_FALSE(track.isFinished());
    const double seconds = waitFor([&] { return track.isFinished(); }, 10s);
    ASSERT_TRUE(track.isFinished());
    // It took about the track's length: not cut short (a queue that ran dry and was taken
    // for the end) and not stuck. The upper margin covers a loaded two-core machine.
    EXPECT_GT(seconds, c.lengthMs / 1000.0 - 0.1);
    EXPECT_LT(seconds, c.lengthMs / 1000.0 + 3.0);
    EXPECT_FALSE(track.isPlaying());
    EXPECT_FALSE(track.isPaused());
    EXPECT_EQ(track.positionMs(), c.lengthMs);
}

INSTANTIATE_TEST_SUITE_P(Tracks, PlaysToTheEnd,
                         ::testing::Values(LengthCase{tone600ms, 600}, LengthCase{monoTone300ms, 300},
                                           LengthCase{tone2s, 2000}));

TEST_F(AudioTrackTest, LoopedTrackNeverFinishesAndWrapsItsPosition) {
    AudioTrack track(audio, monoTone300ms);
    track.playLooped();
    bool everFinished = false;
    std::int64_t maxPosition = 0;
    const auto start = Clock::now();
    while (Clock::now() - start < 1300ms) {  // more than four times round
        everFinished = everFinished || track.isFinished();
        maxPosition = std::max(maxPosition, track.positionMs());
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_FALSE(everFinished);
    EXPECT_TRUE(track.isPlaying());
    EXPECT_LT(maxPosition, 300);
    EXPECT_GT(maxPosition, 150);  // it did move through the track, not sit at 0
    track.stop();
    EXPECT_TRUE(track.isFinished());
}

TEST_F(AudioTrackTest, PauseHoldsThePositionAndResumeContinuesFromIt) {
    AudioTrack track(audio, tone2s);
    track.play();
    std::this_thread::sleep_for(400ms);
    track.setPaused(true);
    const std::int64_t atPause = track.positionMs();
    EXPECT_GT(atPause, 200);
    EXPECT_LT(atPause, 1200);
    EXPECT_TRUE(track.isPaused());
    EXPECT_FALSE(track.isPlaying());

    // Longer than the whole queued second: the worker must not restart a paused source.
    std::this_thread::sleep_for(1200ms);
    EXPECT_EQ(track.positionMs(), atPause);
    EXPECT_TRUE(track.isPaused());
    EXPECT_FALSE(track.isFinished());

    track.setPaused(false);
    EXPECT_FALSE(track.isPaused());
    EXPECT_TRUE(track.isPlaying());
    std::this_thread::sleep_for(300ms);
    const std::int64_t later = track.positionMs();
    EXPECT_GT(later, atPause + 100);
    EXPECT_LT(later, atPause + 1000);

    // The rest of the track still plays out: what remains, not the whole length again.
    const double seconds = waitFor([&] { return track.isFinished(); }, 10s);
    EXPECT_TRUE(track.isFinished());
    EXPECT_LT(seconds, (2000 - later) / 1000.0 + 2.0);
}

TEST_F(AudioTrackTest, QueueThatRanDryIsNotTakenForTheEnd) {
    // Holding the system's lock starves the refill worker, as a stalled machine would: the
    // source plays its queued second and stops. The track must then pick up where it stopped
    // and play the rest, not report the end early.
    AudioTrack track(audio, tone2s);
    track.play();
    const auto start = Clock::now();
    {
        AudioSystem::Lock starve(audio);
        std::this_thread::sleep_for(1500ms);
    }
    EXPECT_FALSE(track.isFinished());
    EXPECT_TRUE(track.isPlaying());
    const std::int64_t resumedAt = track.positionMs();
    EXPECT_GE(resumedAt, 900);
    EXPECT_LE(resumedAt, 1500);
    waitFor([&] { return track.isFinished(); }, 10s);
    ASSERT_TRUE(track.isFinished());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_GT(seconds, 1.5 + (2000 - resumedAt) / 1000.0 - 0.1);  // the rest really played
    EXPECT_EQ(track.positionMs(), 2000);
}

TEST_F(AudioTrackTest, SkipStopsAtOnceAndStaysFinished) {
    AudioTrack track(audio, tone2s);
    track.play();
    std::this_thread::sleep_for(150ms);
    ASSERT_FALSE(track.isFinished());
    track.stop();
    EXPECT_TRUE(track.isFinished());  // in the same call, not a frame later
    EXPECT_FALSE(track.isPlaying());
    // The refill worker runs several times meanwhile and must not bring it back.
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(track.isFinished());
    EXPECT_FALSE(track.isPlaying());

    // Skipped while paused: finished, and resuming does not bring it back; play starts afresh.
    track.play();
    std::this_thread::sleep_for(300ms);
    track.setPaused(true);
    track.stop();
    EXPECT_TRUE(track.isFinished());
    EXPECT_FALSE(track.isPaused());
    track.setPaused(false);
    EXPECT_TRUE(track.isFinished());
    track.play();
    EXPECT_FALSE(track.isFinished());
    EXPECT_LT(track.positionMs(), 250);
    EXPECT_TRUE(track.isPlaying());
}

TEST_F(AudioTrackTest, ReplayAfterTheEndStartsFromTheBeginning) {
    AudioTrack track(audio, monoTone300ms);
    track.play();
    waitFor([&] { return track.isFinished(); }, 5s);
    ASSERT_TRUE(track.isFinished());
    track.play();
    EXPECT_FALSE(track.isFinished());
    const double seconds = waitFor([&] { return track.isFinished(); }, 5s);
    EXPECT_GT(seconds, 0.2);
}

// One system per script: both may exist at once, with tracks side by side on each.
TEST_F(AudioTrackTest, ManyTracksAndTwoSystemsPlaySideBySide) {
    AudioSystem second(1.0f);
    ASSERT_TRUE(second.available());
    AudioTrack a(audio, tone600ms);
    AudioTrack b(audio, monoTone300ms);
    AudioTrack other(second, monoTone300ms);
    AudioTrack music(audio, tone2s);
    music.playLooped();
    a.play();
    b.play();
    other.play();
    waitFor([&] { return a.isFinished() && b.isFinished() && other.isFinished(); }, 5s);
    EXPECT_TRUE(a.isFinished());
    EXPECT_TRUE(b.isFinished());
    EXPECT_TRUE(other.isFinished());
    EXPECT_FALSE(music.isFinished());
}

TEST_F(AudioTrackTest, UndecodableTrackReportsAtLoadAndAtEveryPlay) {
    struct Case {
        const char* what;
        int id;
    };
    // Both reach the decoder, which cannot find an Ogg Vorbis stream in them.
    for (const Case& c : {Case{"not Vorbis", notVorbis}, Case{"missing resource", 69999}}) {
        SCOPED_TRACE(c.what);
        ::testing::internal::CaptureStdout();
        {
            AudioTrack track(audio, c.id);
            EXPECT_FALSE(track.loaded());
            track.play();
            track.playLooped();
            track.setPaused(true);
            track.stop();
            EXPECT_TRUE(track.isFinished());
            EXPECT_EQ(track.lengthMs(), 0);
            EXPECT_EQ(track.positionMs(), 0);
        }
        const std::string out = ::testing::internal::GetCapturedStdout();
        const std::vector<int> codes = errorCodes(out);
        ASSERT_EQ(codes.size(), 3u) << out;  // load, play, playLooped
        EXPECT_LT(codes[0], 0) << out;       // a decoder code
        EXPECT_EQ(codes[1], codes[0]) << out;
        EXPECT_EQ(codes[2], codes[0]) << out;
    }
}

TEST(AudioWithoutDevice, RunsOnAndReportsEveryPlay) {
    ::testing::internal::CaptureStdout();
    {
        AudioSystem audio(1.0f, "no such sound device");
        EXPECT_FALSE(audio.available());
        AudioTrack music(audio, tone2s);
        AudioTrack narration(audio, tone600ms);
        EXPECT_FALSE(music.loaded());
        music.playLooped();
        narration.play();
        narration.setPaused(true);
        narration.setPaused(false);
        narration.stop();
        EXPECT_FALSE(narration.isPlaying());
        EXPECT_FALSE(narration.isPaused());
        EXPECT_TRUE(narration.isFinished());  // the tour goes on as if the narration had ended
        EXPECT_EQ(narration.positionMs(), 0);
        narration.play();
    }
    const std::string out = ::testing::internal::GetCapturedStdout();
    // ALC_INVALID_DEVICE for each of the three plays, and nothing else.
    EXPECT_EQ(errorCodes(out), (std::vector<int>{40961, 40961, 40961})) << out;
}

}  // namespace
}  // namespace earth
