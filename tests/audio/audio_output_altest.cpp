#include "audio/AudioSystem.h"
#include "audio/AudioTrack.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// OpenAL Soft picks its backend once per process, from the environment: these tests run in a
// child process (a "threadsafe" death test re-executes this binary) with the environment set.

namespace earth {
namespace {

using namespace std::chrono_literals;

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

bool waitFinished(const AudioTrack& track, std::chrono::milliseconds limit) {
    const auto start = std::chrono::steady_clock::now();
    while (!track.isFinished() && std::chrono::steady_clock::now() - start < limit) {
        std::this_thread::sleep_for(5ms);
    }
    return track.isFinished();
}

// The child re-runs the test body, so it finds the parent's folder through the environment
// instead of making one of its own.
std::filesystem::path scratchDir(const char* variable) {
    if (const char* inherited = std::getenv(variable)) return inherited;
    const auto dir = std::filesystem::temp_directory_path() /
                     ("orbitarium_altest_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

// Runs the scenario where no backend can open a device, then exits 0 only if it behaved.
[[noreturn]] void playWithoutAnyDriver() {
    ::testing::internal::CaptureStdout();
    bool ok = true;
    {
        AudioSystem audio(1.0f);
        ok = ok && !audio.available();
        AudioTrack music(audio, 60302);
        AudioTrack narration(audio, 60300);
        music.playLooped();
        narration.play();
        narration.setPaused(true);
        narration.stop();
        ok = ok && narration.isFinished() && !narration.isPlaying();
    }
    const std::string out = ::testing::internal::GetCapturedStdout();
    // One line per play request, ALC_INVALID_DEVICE, and nothing else.
    ok = ok && out == "Audio error: (40961) Invalid Device\nAudio error: (40961) Invalid Device\n";
    std::fprintf(stderr, "%s", out.c_str());
    std::exit(ok ? 0 : 1);
}

TEST(AudioBackend, NoUsableDriverRunsOnAndReportsEachPlay) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScopedEnv drivers("ALSOFT_DRIVERS", "no_such_driver");
    EXPECT_EXIT(playWithoutAnyDriver(), ::testing::ExitedWithCode(0), "");
}

// The program keeps its system and tracks in function-local statics, so they are torn down
// by exit() while a looped track still plays; that must end the process cleanly.
[[noreturn]] void exitWhilePlaying(const char* deviceName) {
    static AudioSystem audio(1.0f, deviceName);
    static AudioTrack music(audio, 60302);
    static AudioTrack narration(audio, 60300);
    music.playLooped();
    narration.play();
    std::this_thread::sleep_for(100ms);
    narration.setPaused(true);
    std::exit(0);
}

TEST(AudioBackend, ExitWithTracksStillPlayingEndsCleanly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exitWhilePlaying(nullptr), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(exitWhilePlaying("no such sound device"), ::testing::ExitedWithCode(0), "");
}

[[noreturn]] void playIntoWaveFile() {
    bool ok = false;
    {
        AudioSystem audio(1.0f);
        if (audio.available()) {
            AudioTrack tone(audio, 60300);
            tone.play();
            ok = waitFinished(tone, 5s);
        }
    }  // closing the device completes the file's header
    std::exit(ok ? 0 : 1);
}

struct WaveSummary {
    int channels = 0;
    std::int64_t frames = 0;
    double peak = 0.0;  // of full scale
};

// Reads a RIFF file of 16-bit integer or 32-bit float samples (what the wave backend writes:
// a format chunk, then the data chunk).
std::optional<WaveSummary> readWave(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t fmt = bytes.find("fmt ");
    const std::size_t data = bytes.find("data", fmt);
    if (bytes.compare(0, 4, "RIFF") != 0 || fmt == std::string::npos ||
        data == std::string::npos || data + 8 > bytes.size()) {
        return std::nullopt;
    }
    auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at]) |
                                     static_cast<unsigned char>(bytes[at + 1]) << 8);
    };
    unsigned format = u16(fmt + 8);
    const unsigned bits = u16(fmt + 22);
    if (format == 0xFFFE) format = u16(fmt + 32);  // the sub-format's leading code
    WaveSummary summary;
    summary.channels = static_cast<int>(u16(fmt + 10));
    const std::size_t size =
        std::min<std::size_t>(u16(data + 4) | u16(data + 6) << 16, bytes.size() - data - 8);
    if (summary.channels == 0 || !((format == 1 && bits == 16) || (format == 3 && bits == 32))) {
        return std::nullopt;
    }
    const std::size_t count = size / (bits / 8);
    summary.frames = static_cast<std::int64_t>(count / summary.channels);
    for (std::size_t i = 0; i < count; ++i) {
        const char* p = bytes.data() + data + 8 + i * (bits / 8);
        double v = 0.0;
        if (bits == 16) {
            std::int16_t sample;
            std::memcpy(&sample, p, 2);
            v = sample / 32768.0;
        } else {
            float sample;
            std::memcpy(&sample, p, 4);
            v = sample;
        }
        summary.peak = std::max(summary.peak, std::fabs(v));
    }
    return summary;
}

TEST(AudioBackend, PlayedToneReachesTheWaveFile) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto dir = scratchDir("ORBITARIUM_WAVE_TEST_DIR");
    ScopedEnv shared("ORBITARIUM_WAVE_TEST_DIR", dir.string());
    const auto wave = dir / "out.wav";
    const auto conf = dir / "alsoft.conf";
    std::ofstream(conf) << "[wave]\nfile = " << wave.string() << "\n";
    {
        ScopedEnv drivers("ALSOFT_DRIVERS", "wave");
        ScopedEnv config("ALSOFT_CONF", conf.string());
        EXPECT_EXIT(playIntoWaveFile(), ::testing::ExitedWithCode(0), "");
    }
    const auto summary = readWave(wave);
    ASSERT_TRUE(summary) << "no readable wave file at " << wave;
    EXPECT_GT(summary->channels, 0);
    // At least the tone's 0.6 s at the device's rate (44.1 or 48 kHz).
    EXPECT_GE(summary->frames, 26000);
    // The tone was written at half of full scale; stereo-to-device mixing may lower it a bit
    // but not to near silence.
    EXPECT_GT(summary->peak, 0.2);
    EXPECT_LT(summary->peak, 1.0);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace earth
