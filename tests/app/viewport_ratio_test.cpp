#include "app/ViewportRatio.h"

#include <gtest/gtest.h>

#include <cmath>

namespace earth {
namespace {

TEST(FramebufferAspect, FollowsResizes) {
    EXPECT_FLOAT_EQ(framebufferAspect(1024, 768, 1.0f), 1024.0f / 768.0f);
    EXPECT_FLOAT_EQ(framebufferAspect(640, 480, 1.7f), 640.0f / 480.0f);
    EXPECT_FLOAT_EQ(framebufferAspect(1920, 1080, 4.0f / 3.0f), 1920.0f / 1080.0f);
}

TEST(FramebufferAspect, MinimisedWindowKeepsTheLastAspect) {
    for (const auto& [w, h] : {std::pair{0, 0}, std::pair{800, 0}, std::pair{0, 600}}) {
        const float a = framebufferAspect(w, h, 1.5f);
        EXPECT_TRUE(std::isfinite(a));
        EXPECT_FLOAT_EQ(a, 1.5f) << w << "x" << h;
    }
}

}  // namespace
}  // namespace earth
