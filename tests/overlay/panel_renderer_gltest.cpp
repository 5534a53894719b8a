// Panels laid out by the overlay and drawn in the scene: where they stand, and legible.
#include "render/PanelRenderer.h"

#include "overlay/Overlay.h"
#include "support/GlTestContext.h"
#include "support/OffscreenTarget.h"

#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <imgui.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>

namespace earth {
namespace {

constexpr int kSize = 512;

// A panel stands where it was placed, lights nothing outside its rectangle, and a scan through
// a line of strokes crosses each once (not so for garbled triangles, font or glyphs).
TEST(PanelRendererTest, PanelStandsWhereItIsPlacedWithLegibleText) {
    test::GlTestContext context{kSize, kSize};
    test::OffscreenTarget target{kSize, kSize};
    test::enableSceneState();
    PanelRenderer panels;
    const FontTextureLease font;
    const glm::mat4 viewProjection = glm::perspective(0.8f, 1.0f, 0.1f, 100.0f) *
                                     glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, -3));
    const glm::vec3 centre(-0.2f, 0.1f, 0.0f);
    const char* strokes = "I I I I I I I";
    ImVec2 windowPos, windowSize, lineStart;
    for (int pass = 0; pass < 2; ++pass) {  // the library measures a new window first
        panels.clear();
        Overlay::instance().beginPanel("legible", 1.0f / 60.0f);
        windowPos = ImGui::GetWindowPos(), windowSize = ImGui::GetWindowSize();
        lineStart = ImGui::GetCursorScreenPos();
        ImGui::TextUnformatted(strokes);
        Overlay::instance().endPanel(panels, centre, {1, 0, 0}, {0, 1, 0}, 0.6f);
    }
    panels.upload(), target.begin();
    panels.draw(viewProjection, glm::mat4(1.0f), font.texture());
    const auto pixels = target.read();
    auto toPixel = [&](const glm::vec3& p) {
        const glm::vec4 c = viewProjection * glm::vec4(p, 1.0f);
        return (glm::vec2(c) / c.w * 0.5f + 0.5f) * static_cast<float>(kSize);
    };
    glm::vec2 low(1e9f), high(-1e9f);
    for (const PanelVertex& v : panels.vertices()) {
        low = glm::min(low, toPixel(v.position));
        high = glm::max(high, toPixel(v.position));
    }
    EXPECT_LT(glm::length((low + high) / 2.0f - toPixel(centre)), 1.5f);
    auto bright = [&](int x, int y, int above) {
        const test::Rgba p = pixels[static_cast<std::size_t>(y) * kSize + x];
        return p.r > above && p.g > above && p.b > above;
    };
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool near = x > low.x - 2 && x < high.x + 2 && y > low.y - 2 && y < high.y + 2;
            ASSERT_TRUE(near || !bright(x, y, 0)) << "panel pixel outside at " << x << "," << y;
        }
    }
    const float scale = (high.x - low.x) / windowSize.x;  // window pixels per library pixel
    ASSERT_GT(scale, 1.5f) << "the glyphs must be magnified to be resolved";
    const int row = static_cast<int>(high.y - (lineStart.y - windowPos.y + ImGui::GetFontSize() / 2) * scale);
    const int from = static_cast<int>(low.x + (lineStart.x - windowPos.x) * scale) - 2;
    const int to = from + static_cast<int>(ImGui::CalcTextSize(strokes).x * scale) + 4;
    int crossed = 0;
    for (int x = from; x <= to; ++x) crossed += bright(x, row, 128) && !bright(x - 1, row, 128);
    EXPECT_EQ(crossed, 7) << "row " << row << " from " << from << " to " << to;
    if (HasFailure()) target.writePng(pixels, "panel-legible.png");
    GLint frontFace = 0;
    glGetIntegerv(GL_FRONT_FACE, &frontFace);
    EXPECT_EQ(frontFace, GL_CCW) << "the scene's state is restored";
}

// The overlay lives on to the end of the program and, at exit, only shuts the library down and
// writes its settings file, never reaching into the context that is already gone.
TEST(PanelRendererExitDeathTest, OverlayOutlivesTheContext) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child runs this test again from the start and finds the parent's folder this way.
    const char* inherited = std::getenv("PANEL_EXIT_TEST_DIR");
    const std::filesystem::path dir = inherited != nullptr ? std::filesystem::path(inherited)
        : std::filesystem::temp_directory_path() / ("panel-exit-" + std::to_string(::getpid()));
    ::setenv("PANEL_EXIT_TEST_DIR", dir.c_str(), 1);
    std::filesystem::create_directories(dir);
    EXPECT_EXIT(
        {
            std::filesystem::current_path(dir);
            {
                test::GlTestContext context;
                new FontTextureLease;  // never released: the context goes first
                auto* panels = new PanelRenderer;
                Overlay::instance().beginPanel("exit", 0.016f);
                Overlay::instance().endPanel(*panels, glm::vec3(0.0f), {1, 0, 0}, {0, 1, 0}, 0.3f);
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(std::filesystem::exists(dir / "imgui.ini"));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace earth
