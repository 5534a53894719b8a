// Checks over the embedded music, chime and narration: each decodes from the executable's
// bytes as the player will, in the format, length and tag of the track table, and the music
// loops without a click.

#include "audio/OggDecoder.h"
#include "data/ResourceRegistry.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace earth {
namespace {

struct TrackCase {
    int id;
    int channels;
    double seconds;
    const char* title;  // nullptr: the stream carries no tags
};

const TrackCase tracks[] = {
    {101, 2, 24.00, nullptr},  // music loop
    {103, 1, 4.02, nullptr},   // chime
    {106, 2, 11.00, "000_PreSputnik"},
    {116, 2, 37.73, "001_ShowSputnik"},
    {121, 2, 34.01, "002_Intro"},
    {126, 2, 9.89, "003_1_Types_Intro"},
    {146, 2, 34.94, "003_Types_Intro_and_LEO"},
    {151, 2, 21.25, "004_Types_HEO"},
    {156, 2, 21.95, "005_Types_MEO"},
    {161, 2, 25.59, "006_Types_GEO_a"},
    {171, 2, 54.58, "007_Types_GEO_b"},
    {181, 2, 78.42, "008_Inclination_of_GEOs"},
    {186, 2, 7.43, "009_Transition_to_Polar"},
    {196, 2, 29.29, "010_Polar"},
    {206, 2, 53.20, "011_Elliptical_a_Integral"},
    {216, 2, 26.10, "013_Netwk_SunSyncIntro"},
    {226, 2, 54.74, "014_Netwk_SunSync_Belgian"},
    {251, 2, 52.79, "018_Debris"},
    {261, 2, 62.19, "019_GPS"},
    {266, 2, 21.65, "020_Outtro"},
};

constexpr long sampleRate = 44100;
constexpr double lengthTolerance = 0.25;
constexpr double minimumRmsDbfs = -40.0;  // speech and music sit near -19 and -30
constexpr long seamWindow = 441;          // 10 ms either side of the loop point
constexpr double maximumSeamRatio = 2.0;

// The user comments of the stream's comment header, field names in upper case (Vorbis
// field names are case-insensitive; values are compared exactly). The decoder has no use
// for tags, so they are read here straight through libvorbisfile.
std::vector<std::string> streamTags(std::string_view bytes) {
    std::vector<std::string> tags;
    FILE* memory = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    if (memory == nullptr) {
        ADD_FAILURE() << "fmemopen failed";
        return tags;
    }
    OggVorbis_File file;
    if (ov_open(memory, &file, nullptr, 0) != 0) {
        std::fclose(memory);
        ADD_FAILURE() << "comment header unreadable";
        return tags;
    }
    const vorbis_comment* comment = ov_comment(&file, -1);
    for (int i = 0; comment != nullptr && i < comment->comments; ++i) {
        std::string tag(comment->user_comments[i], std::size_t(comment->comment_lengths[i]));
        const auto equals = std::min(tag.find('='), tag.size());
        std::transform(tag.begin(), tag.begin() + long(equals), tag.begin(),
                       [](unsigned char c) { return char(std::toupper(c)); });
        tags.push_back(tag);
    }
    ov_clear(&file);  // closes the memory stream too
    return tags;
}

double rmsDbfs(const std::int16_t* samples, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double x = samples[i] / 32768.0;
        sum += x * x;
    }
    const double rms = count ? std::sqrt(sum / double(count)) : 0.0;
    return 20.0 * std::log10(std::max(rms, 1e-10));
}

// The step from the last frame into the first, per channel, relative to the largest step
// between neighbouring frames within the window on either side of the loop point. A clean
// loop point steps like its neighbours (about 1); a cut wave or a fade to silence gives
// more than 10. One least significant bit is the smallest step that counts as a step.
double seamRatio(const std::int16_t* samples, long frames, int channels) {
    double worst = 0.0;
    for (int c = 0; c < channels; ++c) {
        const auto at = [&](long frame) { return int(samples[frame * channels + c]); };
        int local = 1;
        for (long f = frames - seamWindow + 1; f < frames; ++f) {
            local = std::max(local, std::abs(at(f) - at(f - 1)));
        }
        for (long f = 1; f < seamWindow; ++f) {
            local = std::max(local, std::abs(at(f) - at(f - 1)));
        }
        worst = std::max(worst, std::abs(at(0) - at(frames - 1)) / double(local));
    }
    return worst;
}

// Names the case in failure messages.
void PrintTo(const TrackCase& track, std::ostream* out) { *out << "OGG " << track.id; }

class EmbeddedTrack : public ::testing::TestWithParam<TrackCase> {};

TEST_P(EmbeddedTrack, DecodesAsTheTrackTableSays) {
    const TrackCase& track = GetParam();
    const auto bytes = findResource("OGG", std::to_string(track.id));
    ASSERT_TRUE(bytes) << "OGG " << track.id << " is not embedded";

    OggDecoder decoder(*bytes);
    ASSERT_EQ(decoder.error(), 0);
    EXPECT_EQ(decoder.sampleRate(), sampleRate);
    EXPECT_EQ(decoder.channels(), track.channels);
    const double seconds = double(decoder.totalFrames()) / sampleRate;
    EXPECT_NEAR(seconds, track.seconds, lengthTolerance * track.seconds);

    std::unique_ptr<std::int16_t[]> samples;
    const std::int64_t frames = decodeWhole(*bytes, samples);
    ASSERT_EQ(frames, decoder.totalFrames()) << "decoding stopped early";
    ASSERT_GT(frames, 2 * seamWindow);
    EXPECT_GT(rmsDbfs(samples.get(), std::size_t(frames * decoder.channels())), minimumRmsDbfs)
        << "nearly silent";

    const std::vector<std::string> expected =
        track.title ? std::vector<std::string>{std::string("TITLE=") + track.title}
                    : std::vector<std::string>{};
    EXPECT_EQ(streamTags(*bytes), expected);

    if (track.id == 101) {
        EXPECT_LE(seamRatio(samples.get(), long(frames), decoder.channels()), maximumSeamRatio)
            << "the loop point clicks";
    }
}

INSTANTIATE_TEST_SUITE_P(Tracks, EmbeddedTrack, ::testing::ValuesIn(tracks),
                         [](const ::testing::TestParamInfo<TrackCase>& info) {
                             return "Ogg" + std::to_string(info.param.id);
                         });

}  // namespace
}  // namespace earth
