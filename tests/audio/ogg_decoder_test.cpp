#include "audio/OggDecoder.h"

#include "audio/AudioError.h"
#include "data/ResourceRegistry.h"

#include <gtest/gtest.h>
#include <vorbis/codec.h>

#include <cmath>
#include <string>
#include <vector>

namespace earth {
namespace {

std::string_view trackBytes(const char* id) {
    const auto bytes = findResource("OGG", id);
    if (!bytes) {
        ADD_FAILURE() << "test track " << id << " is not embedded";
        return {};
    }
    return *bytes;
}

std::vector<std::int16_t> decodeAll(OggDecoder& decoder, long chunk) {
    std::vector<std::int16_t> all;
    std::vector<std::int16_t> buffer(static_cast<std::size_t>(chunk * decoder.channels()));
    for (;;) {
        const long got = decoder.read(buffer.data(), chunk);
        EXPECT_GE(got, 0);
        if (got <= 0) break;
        all.insert(all.end(), buffer.begin(), buffer.begin() + got * decoder.channels());
    }
    return all;
}

// Frame counts from the streams as sox wrote them: duration times 44,100.
struct TrackCase {
    const char* id;
    int channels;
    std::int64_t frames;
    double frequency;
};

class DecodesTestTrack : public ::testing::TestWithParam<TrackCase> {};

TEST_P(DecodesTestTrack, FormatLengthAndToneFromMemory) {
    const TrackCase& c = GetParam();
    OggDecoder decoder(trackBytes(c.id));
    ASSERT_EQ(decoder.error(), 0);
    EXPECT_EQ(decoder.channels(), c.channels);
    EXPECT_EQ(decoder.sampleRate(), 44100);
    EXPECT_EQ(decoder.totalFrames(), c.frames);

    // An odd chunk size so that reads straddle the decoder's own packet boundaries.
    const std::vector<std::int16_t> samples = decodeAll(decoder, 997);
    ASSERT_EQ(static_cast<std::int64_t>(samples.size()), c.frames * c.channels);

    // The tone is really there: count rising zero crossings of the first channel over the
    // middle of the stream (away from sox's start and end) and compare with its frequency.
    const std::int64_t from = c.frames / 4;
    const std::int64_t to = 3 * c.frames / 4;
    int crossings = 0;
    for (std::int64_t f = from + 1; f < to; ++f) {
        if (samples[static_cast<std::size_t>((f - 1) * c.channels)] < 0 &&
            samples[static_cast<std::size_t>(f * c.channels)] >= 0) {
            ++crossings;
        }
    }
    const double seconds = static_cast<double>(to - from) / 44100.0;
    EXPECT_NEAR(crossings / seconds, c.frequency, 0.02 * c.frequency);
}

INSTANTIATE_TEST_SUITE_P(Tracks, DecodesTestTrack,
                         ::testing::Values(TrackCase{"60300", 2, 26460, 440.0},
                                           TrackCase{"60301", 1, 13230, 660.0},
                                           TrackCase{"60302", 2, 88200, 330.0}));

TEST(OggDecoder, RewindReplaysTheSameSamplesAndDecodeWholeMatchesThem) {
    OggDecoder decoder(trackBytes("60302"));
    ASSERT_EQ(decoder.error(), 0);
    const std::vector<std::int16_t> first = decodeAll(decoder, 4096);
    std::int16_t after[64];
    EXPECT_EQ(decoder.read(after, 32), 0);  // the end stays the end
    ASSERT_EQ(decoder.rewind(), 0);
    EXPECT_EQ(decodeAll(decoder, 1500), first);
    std::unique_ptr<std::int16_t[]> whole;
    ASSERT_EQ(decodeWhole(trackBytes("60302"), whole), 88200);
    ASSERT_EQ(first.size(), 88200u * 2);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), whole.get()));
}

TEST(OggDecoder, RejectsWhatIsNotVorbisWithAClearCode) {
    struct Case {
        const char* what;
        std::string_view bytes;
    };
    const std::string_view real = trackBytes("60300");
    const Case cases[] = {
        {"empty data (a missing resource)", {}},
        {"text that is not Ogg", trackBytes("60303")},
        {"a stream cut inside its headers", real.substr(0, 200)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OggDecoder decoder(c.bytes);
        EXPECT_LT(decoder.error(), 0);
        EXPECT_STRNE(decoderErrorText(decoder.error()), "unknown decoder error");
        std::int16_t sink[16];
        EXPECT_EQ(decoder.read(sink, 8), decoder.error());  // no reads through a failed open
        EXPECT_EQ(decoder.rewind(), decoder.error());
    }
}

TEST(OggDecoder, StreamCutBeforeItsLastPageEndsWhereTheDataEnds) {
    // A damaged resource must end early and cleanly: no hang, no error, no invented samples.
    const std::string_view real = trackBytes("60302");
    const std::size_t lastPage = real.rfind("OggS");
    ASSERT_NE(lastPage, std::string_view::npos);
    ASSERT_GT(lastPage, 0u);
    OggDecoder decoder(real.substr(0, lastPage));
    ASSERT_EQ(decoder.error(), 0);
    EXPECT_GT(decoder.totalFrames(), 0);
    EXPECT_LT(decoder.totalFrames(), 88200);
    const std::vector<std::int16_t> samples = decodeAll(decoder, 2048);
    EXPECT_EQ(static_cast<std::int64_t>(samples.size()), decoder.totalFrames() * 2);
}

}  // namespace
}  // namespace earth
