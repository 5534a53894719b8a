#include "overlay/Overlay.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <imgui.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace earth {
namespace {

struct Extent {
    float left = std::numeric_limits<float>::max();
    float right = std::numeric_limits<float>::lowest();
    float bottom = std::numeric_limits<float>::max();
    float top = std::numeric_limits<float>::lowest();
    float width() const { return right - left; }
    float height() const { return top - bottom; }
};

struct Placement {
    glm::vec3 centre{0.0f, 0.0f, 2.0f};
    glm::vec3 right{1.0f, 0.0f, 0.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    float scale = 0.3f;
};

// Twice: the library keeps a new window hidden for its first frame while it measures it.
std::vector<PanelVertex> layout(const std::string& name, const std::function<void()>& contents,
                                const Placement& p = Placement{}) {
    std::vector<PanelVertex> out;
    for (int pass = 0; pass < 2; ++pass) {
        out.clear();
        Overlay::instance().beginPanel(name, 1.0f / 60.0f);
        contents();
        Overlay::instance().endPanel(out, p.centre, p.right, p.up, p.scale);
    }
    return out;
}

std::function<void()> lines(int count) {
    return [count] {
        for (int i = 0; i < count; ++i) ImGui::Text("Line %d of the panel", i + 1);
    };
}

Extent extentOf(const std::vector<PanelVertex>& vertices, const Placement& p) {
    Extent e;
    for (const PanelVertex& v : vertices) {
        const glm::vec3 d = v.position - p.centre;
        e.left = std::min(e.left, glm::dot(d, p.right));
        e.right = std::max(e.right, glm::dot(d, p.right));
        e.bottom = std::min(e.bottom, glm::dot(d, p.up));
        e.top = std::max(e.top, glm::dot(d, p.up));
    }
    return e;
}

// The panel's world height counts the window height in units of (line + line pitch); each
// further line adds one pitch to the window.
float heightPerLine() {
    const float line = ImGui::GetTextLineHeight();
    const float pitch = ImGui::GetTextLineHeightWithSpacing();
    return pitch / (line + pitch);
}

TEST(OverlayTest, PanelIsCentredAndTallerInProportionToItsLines) {
    const Placement p;
    const auto one = layout("proportion-1", lines(1), p);
    const auto four = layout("proportion-4", lines(4), p);
    ASSERT_FALSE(one.empty());
    ASSERT_FALSE(four.empty());
    EXPECT_EQ(one.size() % 3, 0u);
    const Extent e1 = extentOf(one, p);
    const Extent e4 = extentOf(four, p);
    EXPECT_NEAR(e4.height() - e1.height(), p.scale * 3.0f * heightPerLine(), 1e-4f);
    // One line under a title bar: about one and a half units of (line + pitch).
    EXPECT_GT(e1.height(), p.scale * 1.3f);
    EXPECT_LT(e1.height(), p.scale * 1.9f);
    // Centred on the placement in both directions.
    EXPECT_NEAR(e1.left + e1.right, 0.0f, 1e-4f);
    EXPECT_NEAR(e1.top + e1.bottom, 0.0f, 1e-4f);
    for (const PanelVertex& v : four) EXPECT_NEAR(v.position.z, p.centre.z, 1e-5f);
    // Every triangle (window, title bar, close button, glyphs) has the same winding, so
    // none of them is culled: clockwise as the viewer on +Z sees it.
    for (std::size_t t = 0; t < four.size(); t += 3) {
        const glm::vec3 n = glm::cross(four[t + 1].position - four[t].position,
                                       four[t + 2].position - four[t].position);
        EXPECT_LE(n.z, 0.0f) << "triangle " << t / 3;
    }
}

TEST(OverlayTest, ScaleSetsTheWorldSizeAndKeepsTheWindowsAspect) {
    Placement nearView;
    nearView.scale = 0.05f;
    Placement atSatellite;
    atSatellite.scale = 0.3f;
    // A tilted placement: right and up are any orthonormal pair facing the viewer.
    atSatellite.right = glm::normalize(glm::vec3(1.0f, 0.0f, 1.0f));
    atSatellite.up = glm::vec3(0.0f, 1.0f, 0.0f);
    const auto small = layout("scale", lines(3), nearView);
    const auto large = layout("scale", lines(3), atSatellite);
    const Extent s = extentOf(small, nearView);
    const Extent l = extentOf(large, atSatellite);
    EXPECT_NEAR(l.height() / s.height(), 6.0f, 1e-3f);
    EXPECT_NEAR(l.width() / s.width(), 6.0f, 1e-3f);
    EXPECT_GT(s.width(), s.height());  // three lines of text are wider than tall
}

// Text that crosses a clip rectangle: only whole glyphs inside it survive, and every kept
// triangle is still one half of one glyph (no triangle spans across the panel).
TEST(OverlayTest, TextCrossingTheClipRectangleKeepsWholeGlyphs) {
    const Placement p;
    ImVec2 clipMin, clipMax, windowPos, windowSize;
    const auto contents = [&] {
        windowPos = ImGui::GetWindowPos();
        windowSize = ImGui::GetWindowSize();
        const ImVec2 cursor = ImGui::GetCursorScreenPos();
        // Both side edges cut through glyphs of the line; the line fits in height.
        clipMin = ImVec2(cursor.x + 20.0f, cursor.y - 1.0f);
        clipMax = ImVec2(cursor.x + 61.5f, cursor.y + ImGui::GetFontSize() + 1.0f);
        ImGui::PushClipRect(clipMin, clipMax, true);
        ImGui::Text("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
        ImGui::PopClipRect();
        ImGui::Text("An unclipped second line that sets the width of the window");
    };
    const auto out = layout("clipped", contents, p);
    ASSERT_EQ(out.size() % 3, 0u);
    const Extent e = extentOf(out, p);
    const float pixel = e.width() / windowSize.x;  // world units per display pixel
    const auto toPixels = [&](const glm::vec3& v) {
        const glm::vec3 d = v - p.centre;
        return ImVec2(windowPos.x + (glm::dot(d, p.right) - e.left) / pixel,
                      windowPos.y + (e.top - glm::dot(d, p.up)) / pixel);
    };
    const float lineHeight = ImGui::GetFontSize();
    int clippedTriangles = 0;
    int unclippedTextTriangles = 0;
    for (std::size_t t = 0; t < out.size(); t += 3) {
        ImVec2 lo(1e9f, 1e9f), hi(-1e9f, -1e9f);
        for (std::size_t k = t; k < t + 3; ++k) {
            const ImVec2 q = toPixels(out[k].position);
            lo = ImVec2(std::min(lo.x, q.x), std::min(lo.y, q.y));
            hi = ImVec2(std::max(hi.x, q.x), std::max(hi.y, q.y));
        }
        const bool text = out[t].colour.r > 0.99f && out[t].colour.a > 0.99f;
        if (!text) continue;
        // Every text triangle, clipped or not, is half of one glyph.
        EXPECT_LT(hi.x - lo.x, lineHeight) << "triangle " << t / 3 << " spans several glyphs";
        EXPECT_LT(hi.y - lo.y, lineHeight + 0.5f) << "triangle " << t / 3;
        if (lo.y < clipMin.y - 0.5f || hi.y > clipMax.y + 0.5f) {
            ++unclippedTextTriangles;
            continue;
        }
        ++clippedTriangles;
        EXPECT_GE(lo.x, clipMin.x - 1e-2f) << "triangle " << t / 3;
        EXPECT_LE(hi.x, clipMax.x + 1e-2f) << "triangle " << t / 3;
    }
    // Whole glyphs between the edges survive, as pairs of triangles.
    EXPECT_GE(clippedTriangles, 6);
    EXPECT_EQ(clippedTriangles % 2, 0) << "glyph quads lost one of their two triangles";
    EXPECT_GT(unclippedTextTriangles, 40);  // the title and the second line
}

TEST(OverlayTest, MisuseIsReportedNotAssertedOnTheLibrarysCanvas) {
    std::vector<PanelVertex> out;
    EXPECT_THROW(Overlay::instance().endPanel(out, {}, {1, 0, 0}, {0, 1, 0}, 0.3f),
                 std::logic_error);
    Overlay::instance().beginPanel("misuse", 0.0f);  // a frame that took no time is fine
    EXPECT_THROW(Overlay::instance().beginPanel("misuse-2", 0.1f), std::logic_error);
    ImGui::Text("still usable");
    Overlay::instance().endPanel(out, {}, {1, 0, 0}, {0, 1, 0}, 0.3f);
    Overlay::instance().beginPanel("misuse", -1.0f);
    Overlay::instance().endPanel(out, {}, {1, 0, 0}, {0, 1, 0}, 0.3f);
    EXPECT_FALSE(out.empty());
    EXPECT_EQ(Overlay::instance().fontTexture(), 0u);  // no GL object without a renderer
    // The canvas is the library's display.
    EXPECT_EQ(Overlay::instance().canvasWidth(), 1024.0f);
    EXPECT_EQ(Overlay::instance().canvasHeight(), 1024.0f);
    EXPECT_EQ(ImGui::GetIO().DisplaySize.x, 1024.0f);
    EXPECT_EQ(ImGui::GetIO().DisplaySize.y, 1024.0f);
    EXPECT_STREQ(ImGui::GetIO().IniFilename, "imgui.ini");
}

// The settings file is written at exit, in the working directory, after the GL objects are gone.
TEST(OverlayDeathTest, SettingsFileIsWrittenAtExit) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("overlay-ini-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    EXPECT_EXIT(
        {
            std::filesystem::current_path(dir);
            layout("ini", lines(1));
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(std::filesystem::exists(dir / "imgui.ini"));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace earth
