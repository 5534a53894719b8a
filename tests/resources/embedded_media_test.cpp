// The program's own decoders over the embedded images and tracks (tools/imagery/check.py and
// tools/audio/check.py check their contents with other decoders): each decodes whole, in
// the shape its renderer or player takes.

#include "audio/OggDecoder.h"
#include "data/ResourceRegistry.h"
#include "data/Resources.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace earth {
namespace {

TEST(EmbeddedMedia, ImagesDecodeWithTheChannelsTheirTexturesTake) {
    const struct {
        std::uint16_t id;
        int channels;
        bool square;  // a face of the star cube
    } images[] = {{517, 3, false}, {533, 3, false}, {549, 1, false}, {581, 3, true},
                  {585, 4, true},  {589, 3, true},  {593, 3, true},  {597, 4, true},
                  {601, 4, true},  {602, 4, false}, {603, 4, false}};
    for (const auto& expected : images) {
        const Image image(expected.id);
        EXPECT_EQ(image.channels, expected.channels) << expected.id;
        EXPECT_GT(image.width, 0) << expected.id;
        EXPECT_EQ(image.width == image.height, expected.square) << expected.id;
    }
}

TEST(EmbeddedMedia, TracksDecodeToTheEndAt44100Hz) {
    for (const int id : {101, 103, 106, 116, 121, 126, 146, 151, 156, 161, 171, 181, 186, 196,
                         206, 216, 226, 251, 261, 266}) {
        const auto bytes = findResource("OGG", std::to_string(id));
        ASSERT_TRUE(bytes) << "OGG " << id;
        const OggDecoder decoder(*bytes);
        ASSERT_EQ(decoder.error(), 0) << id;
        EXPECT_EQ(decoder.sampleRate(), 44100) << id;
        std::unique_ptr<std::int16_t[]> samples;
        EXPECT_EQ(decodeWhole(*bytes, samples), decoder.totalFrames()) << id;
    }
}

}  // namespace
}  // namespace earth
