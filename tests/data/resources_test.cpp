// Embedded resources, and images decoded ahead on worker threads: Image(id) gets exactly
// what decoding it in place gives, with the same errors, whatever the timing.
#include "data/ImagePreload.h"
#include "data/ResourceRegistry.h"
#include "data/Resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace earth {
namespace {

constexpr std::uint16_t kRed4x2 = 60010, kGrey3x3 = 60011, kNotAnImage = 60012, kSplash = 60220,
                        kAbsent = 60999;

std::string errorOf(void (*f)()) {
    try {
        f();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
}

bool same(const Image& a, const Image& b) {
    return a.width == b.width && a.height == b.height && a.channels == b.channels &&
           std::memcmp(a.pixels.get(), b.pixels.get(),
                       static_cast<std::size_t>(a.width) * a.height * a.channels) == 0;
}

TEST(Resources, BytesInPlaceStreamsAndMissingOnes) {
    const auto first = findResource("DATA", "60001");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->data(), findResource("DATA", "60001")->data());  // no copy
    EXPECT_FALSE(findResource("IMG", "60001"));  // type and identifier both count, whole
    EXPECT_EQ(errorOf([] { openDataResource(950); }), "Missing data resource 950");
}

TEST(ImagePreload, GivesWhatDecodingInPlaceGivesWithTheSameErrors) {
    const std::vector<std::uint16_t> ids{kSplash, kRed4x2, kGrey3x3, kRed4x2};
    std::vector<Image> reference;
    for (std::uint16_t id : ids) reference.emplace_back(id);
    // Zero workers leaves everything queued (taken in place); one and two race the taker.
    for (unsigned workers : {0u, 1u, 2u}) {
        const ImagePreload preload({kSplash, kRed4x2, kAbsent, kGrey3x3, kNotAnImage, kRed4x2},
                                   workers);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            EXPECT_TRUE(same(Image(ids[i]), reference[i])) << ids[i] << ", " << workers;
        }
        EXPECT_TRUE(same(Image(kRed4x2), reference[1])) << "asked once more";
        EXPECT_EQ(errorOf([] { Image image(kAbsent); }), "Missing image resource");
        EXPECT_EQ(errorOf([] { Image image(kNotAnImage); }), "Load failure");
    }
}

TEST(ImagePreload, UntakenDecodesAndNestedPreloadsEndCleanly) {
    { const ImagePreload unused({kSplash, kSplash, kGrey3x3, kRed4x2}, 2); }
    const Image reference(kGrey3x3);
    const ImagePreload outer({kGrey3x3}, 1);
    {
        const ImagePreload inner({kRed4x2}, 1);
        EXPECT_EQ(Image(kRed4x2).width, 4);  // from the inner one
    }
    EXPECT_TRUE(same(Image(kGrey3x3), reference)) << "the outer one is in effect again";
}

}  // namespace
}  // namespace earth
