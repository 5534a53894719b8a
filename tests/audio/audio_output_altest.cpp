// What reaches the sound library's output, in child processes: OpenAL Soft picks its backend
// once per process, from the environment ("threadsafe" death tests re-execute this binary).

#include "audio/AudioSystem.h"
#include "audio/AudioTrack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace earth {
namespace {

using namespace std::chrono_literals;

// No sound card: one line in the log, nothing from the libraries on stderr, silent plays.
[[noreturn]] void playWithoutASoundCard() {
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    bool opened = false;
    {
        AudioSystem audio(1.0f);
        AudioTrack music(audio, 60302), narration(audio, 60300);
        music.playLooped();
        narration.play();
        opened = audio.available();  // a machine whose sound server ignores ALSA_CARD: nothing to check
    }
    const std::string err = ::testing::internal::GetCapturedStderr(), out = ::testing::internal::GetCapturedStdout();
    std::fprintf(stderr, "%s%s", out.c_str(), err.c_str());
    std::exit(opened || (err.empty() && out == "Audio error: (40961) Invalid Device; running without sound\n") ? 0 : 1);
}

TEST(AudioOutput, NoSoundCardIsOneLineAndNoLibraryChatter) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("ALSA_CARD", "orbitarium_no_such_card", 1);
    for (const char* drivers : {"alsa", "no_such_driver"}) {
        setenv("ALSOFT_DRIVERS", drivers, 1);
        EXPECT_EXIT(playWithoutASoundCard(), ::testing::ExitedWithCode(0), "") << drivers;
    }
    setenv("ALSOFT_DRIVERS", "null", 1);
    unsetenv("ALSA_CARD");
}

// A looped tone while the machine stalls: the worker cannot refill for five seconds (its lock
// is held, as on a machine too loaded to run it), then a narration plays to its end. As in the
// program, system and tracks are function-local statics, torn down by exit() while the music
// plays (which also closes the device and so completes the file).
[[noreturn]] void playThroughAStall() {
    static AudioSystem audio(1.0f);
    static AudioTrack music(audio, 60302);
    static AudioTrack narration(audio, 60300);
    music.playLooped();
    std::this_thread::sleep_for(300ms);  // the worker queues the rest meanwhile
    {
        const AudioSystem::Lock stall(audio);
        std::this_thread::sleep_for(5s);
    }
    narration.play();
    for (int i = 0; i < 300 && !narration.isFinished(); ++i) std::this_thread::sleep_for(10ms);
    // The music loops on: still playing, never finished.
    std::exit(audio.available() && narration.isFinished() && music.isPlaying() && !music.isFinished() ? 0 : 1);
}

// The first channel of a RIFF file of 16-bit integer or 32-bit float samples (what the wave
// backend writes: a format chunk, then the data chunk), as fractions of full scale.
std::vector<float> readWave(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t fmt = bytes.find("fmt "), data = bytes.find("data", fmt);
    if (bytes.compare(0, 4, "RIFF") != 0 || fmt == std::string::npos || data == std::string::npos) return {};
    const auto u16 = [&](std::size_t at) { return unsigned(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8); };
    const bool floats = (u16(fmt + 8) == 0xFFFE ? u16(fmt + 32) : u16(fmt + 8)) == 3;
    const std::size_t frameBytes = u16(fmt + 10) * (floats ? 4 : 2);
    std::vector<float> samples;
    for (std::size_t at = data + 8; at + frameBytes <= bytes.size(); at += frameBytes) {
        float v = std::int16_t(u16(at)) / 32768.0f;
        if (floats) std::memcpy(&v, bytes.data() + at, 4);
        samples.push_back(v);
    }
    return samples;
}

TEST(AudioOutput, MusicPlaysOnWithoutAGapThroughAFiveSecondStall) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child re-runs this body: it finds the parent's folder through the environment.
    if (std::getenv("ORBITARIUM_WAVE_DIR") == nullptr) {
        setenv("ORBITARIUM_WAVE_DIR", ("orbitarium_wave_" + std::to_string(getpid())).c_str(), 1);
    }
    const auto dir = std::filesystem::temp_directory_path() / std::getenv("ORBITARIUM_WAVE_DIR");
    std::filesystem::create_directories(dir);
    const auto wave = dir / "out.wav";
    std::ofstream(dir / "alsoft.conf") << "[wave]\nfile = " << wave.string() << "\n";
    setenv("ALSOFT_DRIVERS", "wave", 1);
    setenv("ALSOFT_CONF", (dir / "alsoft.conf").c_str(), 1);
    EXPECT_EXIT(playThroughAStall(), ::testing::ExitedWithCode(0), "");
    setenv("ALSOFT_DRIVERS", "null", 1);
    unsetenv("ALSOFT_CONF");
    unsetenv("ORBITARIUM_WAVE_DIR");
    const std::vector<float> samples = readWave(wave);
    const std::size_t rate = 44100;  // or 48000: used as a bound only
    // From the first sound to the last, no stretch of 50 ms is silent (the 330 Hz tone crosses
    // zero every 1.5 ms), and the tone, written at half of full scale, is not near silence.
    const auto sound = [&](std::size_t f) { return std::fabs(samples[f]) >= 1e-3f; };
    std::size_t first = 0, last = samples.size(), quiet = 0, longestQuiet = 0;
    while (first < last && !sound(first)) ++first;
    while (last > first && !sound(last - 1)) --last;
    float peak = 0.0f;
    for (std::size_t f = first; f < last; ++f) {
        peak = std::max(peak, std::fabs(samples[f]));
        quiet = sound(f) ? 0 : quiet + 1;
        longestQuiet = std::max(longestQuiet, quiet);
    }
    EXPECT_GE(last - first, 5 * rate);
    EXPECT_LT(longestQuiet, rate / 20) << "a gap of " << longestQuiet << " frames";
    EXPECT_GT(peak, 0.2f);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace earth
