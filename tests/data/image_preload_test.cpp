// Images decoded ahead on worker threads: Image(id) gets exactly what decoding it in place
// gives, with the same errors, whatever the timing, and a preload nobody uses goes quietly.
#include "data/ImagePreload.h"
#include "data/Resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace earth {
namespace {

constexpr std::uint16_t kRed4x2 = 60010;     // PNG
constexpr std::uint16_t kGrey3x3 = 60011;    // JPEG
constexpr std::uint16_t kNotAnImage = 60012;
constexpr std::uint16_t kSplash = 60220;
constexpr std::uint16_t kAbsent = 60999;

void expectSameImage(const Image& a, const Image& b, const std::string& what) {
    ASSERT_EQ(a.width, b.width) << what;
    ASSERT_EQ(a.height, b.height) << what;
    ASSERT_EQ(a.channels, b.channels) << what;
    const std::size_t bytes = static_cast<std::size_t>(a.width) * a.height * a.channels;
    EXPECT_EQ(std::memcmp(a.pixels.get(), b.pixels.get(), bytes), 0) << what;
}

std::string errorOf(std::uint16_t id) {
    try {
        Image image(id);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
}

TEST(ImagePreload, GivesWhatDecodingInPlaceGives) {
    const std::vector<std::uint16_t> ids{kSplash, kRed4x2, kGrey3x3, kRed4x2};
    // Before the preload: the reference decodes.
    std::vector<Image> reference;
    for (std::uint16_t id : ids) reference.emplace_back(id);

    // Zero workers leaves everything queued (taken in place); one and two race the taker.
    for (unsigned workers : {0u, 1u, 2u}) {
        const ImagePreload preload(ids, workers);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            expectSameImage(Image(ids[i]), reference[i],
                            "id " + std::to_string(ids[i]) + " with " + std::to_string(workers) +
                                " workers");
        }
        // Every listed decode is taken; asking again decodes in place.
        expectSameImage(Image(kRed4x2), reference[1], "asked once more");
    }
}

TEST(ImagePreload, FailsWithTheSameMessages) {
    const std::string missing = errorOf(kAbsent);
    const std::string undecodable = errorOf(kNotAnImage);
    EXPECT_EQ(missing, "Missing image resource");
    EXPECT_EQ(undecodable, "Load failure");
    for (unsigned workers : {0u, 2u}) {
        const ImagePreload preload({kAbsent, kNotAnImage}, workers);
        EXPECT_EQ(errorOf(kAbsent), missing) << workers;
        EXPECT_EQ(errorOf(kNotAnImage), undecodable) << workers;
    }
}

TEST(ImagePreload, UntakenDecodesAndNestedPreloadsEndCleanly) {
    {
        const ImagePreload unused({kSplash, kSplash, kGrey3x3, kRed4x2}, 2);
    }  // destroyed at once, workers possibly mid-decode
    const Image reference(kGrey3x3);
    const ImagePreload outer({kGrey3x3}, 1);
    {
        const ImagePreload inner({kRed4x2}, 1);
        EXPECT_EQ(Image(kRed4x2).width, 4);  // from the inner one
    }
    // The outer one is in effect again.
    expectSameImage(Image(kGrey3x3), reference, "after the inner preload ended");
}

}  // namespace
}  // namespace earth
