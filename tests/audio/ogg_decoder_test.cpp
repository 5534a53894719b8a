#include "audio/OggDecoder.h"

#include "audio/AudioError.h"
#include "data/ResourceRegistry.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace earth {
namespace {

std::string_view trackBytes(const char* id) { return findResource("OGG", id).value_or(std::string_view{}); }

// Reads to the end in chunks of `chunk` frames.
std::vector<std::int16_t> decodeAll(OggDecoder& decoder, long chunk) {
    std::vector<std::int16_t> all, buffer(std::size_t(chunk * decoder.channels()));
    for (long got; (got = decoder.read(buffer.data(), chunk)) > 0;) {
        all.insert(all.end(), buffer.begin(), buffer.begin() + got * decoder.channels());
    }
    return all;
}

TEST(OggDecoder, DecodesFormatLengthAndToneFromMemoryAndRewinds) {
    // Frame counts from the streams as sox wrote them: duration times 44,100.
    struct Case {
        const char* id;
        int channels;
        std::int64_t frames;
        double frequency;
    } cases[] = {{"60300", 2, 26460, 440.0}, {"60301", 1, 13230, 660.0}, {"60302", 2, 88200, 330.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        OggDecoder decoder(trackBytes(c.id));
        ASSERT_EQ(decoder.error(), 0);
        EXPECT_EQ(std::tuple(decoder.channels(), decoder.sampleRate(), decoder.totalFrames()), std::tuple(c.channels, 44100L, c.frames));
        // An odd chunk size, so that reads straddle the decoder's own packet boundaries.
        const std::vector<std::int16_t> samples = decodeAll(decoder, 997);
        ASSERT_EQ(std::int64_t(samples.size()), c.frames * c.channels);
        // The tone is really there: rising zero crossings of the first channel over the middle.
        int crossings = 0;
        for (std::int64_t f = c.frames / 4 + 1; f < 3 * c.frames / 4; ++f) {
            crossings += samples[std::size_t((f - 1) * c.channels)] < 0 && samples[std::size_t(f * c.channels)] >= 0;
        }
        EXPECT_NEAR(crossings / (c.frames / 2 / 44100.0), c.frequency, 0.02 * c.frequency);
        // The end stays the end; a rewind replays the same samples; decodeWhole gives them too.
        std::int16_t after[64];
        EXPECT_EQ(decoder.read(after, 32), 0);
        ASSERT_EQ(decoder.rewind(), 0);
        EXPECT_EQ(decodeAll(decoder, 1500), samples);
        std::unique_ptr<std::int16_t[]> whole;
        ASSERT_EQ(decodeWhole(trackBytes(c.id), whole), c.frames);
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), whole.get()));
    }
}

TEST(OggDecoder, RejectsWhatIsNotVorbisWithAClearCode) {
    const std::string_view real = trackBytes("60300");
    for (const std::string_view bytes : {std::string_view{}, trackBytes("60303"), real.substr(0, 200)}) {
        SCOPED_TRACE(bytes.size());  // a missing resource, text, a stream cut inside its headers
        OggDecoder decoder(bytes);
        EXPECT_LT(decoder.error(), 0);
        EXPECT_STRNE(decoderErrorText(decoder.error()), "unknown decoder error");
        std::int16_t sink[16];
        EXPECT_EQ(decoder.read(sink, 8) + decoder.rewind(), 2 * decoder.error());  // no reads through a failed open
    }
}

TEST(OggDecoder, StreamCutBeforeItsLastPageEndsWhereTheDataEnds) {
    // A damaged resource ends early and cleanly: no hang, no error, no invented samples.
    OggDecoder decoder(trackBytes("60302").substr(0, trackBytes("60302").rfind("OggS")));
    ASSERT_EQ(decoder.error(), 0);
    EXPECT_GT(decoder.totalFrames(), 0);
    EXPECT_LT(decoder.totalFrames(), 88200);
    EXPECT_EQ(std::int64_t(decodeAll(decoder, 2048).size()), decoder.totalFrames() * 2);
}

}  // namespace
}  // namespace earth
