#include "data/ResourceRegistry.h"
#include "data/Resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace earth {
namespace {

std::string failureOf(void (*f)()) {
    try {
        f();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(no failure)";
}

TEST(Resources, LookupByTypeAndIdentifierReturnsTheEmbeddedBytesInPlace) {
    const auto first = findResource("DATA", "60001");
    const auto second = findResource("DATA", "60001");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->data(), second->data());  // no copy: both point into the executable
    EXPECT_EQ(*first, std::string("first line\r\nsecond line\r\n\r\nlast line without end"));
    // Type and identifier both count, whole.
    EXPECT_FALSE(findResource("IMG", "60001"));
    EXPECT_FALSE(findResource("DATA", "6000"));
    EXPECT_FALSE(findResource("DATA", "600011"));
    EXPECT_TRUE(findResource("IMG", "60010"));
}

TEST(Resources, StreamReadsLinesKeepingCarriageReturns) {
    ResourceStream stream = openDataResource(60001);
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(stream, line)) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"first line\r", "second line\r", "\r",
                                               "last line without end"}));
}

TEST(Resources, StreamReadsFixedSizeBinaryRecords) {
    ResourceStream stream = openDataResource(60002);
    double record[3];
    int count = 0;
    while (stream.read(reinterpret_cast<char*>(record), sizeof record)) {
        EXPECT_EQ(record[0], count);
        EXPECT_EQ(record[1], -count);
        EXPECT_EQ(record[2], count * 0.5);
        ++count;
    }
    EXPECT_EQ(count, 10);
}

TEST(Resources, MissingResourcesFailWithTheirSentences) {
    EXPECT_EQ(failureOf([] { openDataResource(950); }), "Missing data resource 950");
    EXPECT_EQ(failureOf([] { openDataResource(60010); }), "Missing data resource 60010");
    EXPECT_EQ(failureOf([] { Image image(950); }), "Missing image resource");
    EXPECT_EQ(failureOf([] {
                  int w, h, c;
                  loadImageResource(60001, w, h, c);
              }),
              "Missing image resource");
}

TEST(Resources, ImagesDecodeWithTheFilesOwnChannelCount) {
    const Image png(60010);
    EXPECT_EQ(png.width, 4);
    EXPECT_EQ(png.height, 2);
    EXPECT_EQ(png.channels, 3);
    const unsigned char* p = png.pixels.get();
    EXPECT_EQ(p[0], 255);  // (0,0) red
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[3], 0);  // (1,0) green
    EXPECT_EQ(p[4], 255);

    const Image jpeg(60011);
    EXPECT_EQ(jpeg.width, 3);
    EXPECT_EQ(jpeg.height, 3);
    EXPECT_EQ(jpeg.channels, 1);
    EXPECT_NEAR(jpeg.pixels.get()[4], 128, 3);  // JPEG rounding
}

TEST(Resources, UndecodableImageIsALoadFailure) {
    int w = -1, h = -1, c = -1;
    unsigned char* pixels = loadImageResource(60012, w, h, c);
    EXPECT_EQ(pixels, nullptr);
    EXPECT_EQ(failureOf([] { Image image(60012); }), "Load failure");
}

}  // namespace
}  // namespace earth
