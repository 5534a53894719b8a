#include "overlay/Overlay.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <imgui.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace earth {
namespace {

struct Box {
    glm::vec2 low{1e9f}, high{-1e9f};
};

// Extent along x and y of a panel placed with right = x and up = y.
Box extent(const std::vector<PanelVertex>& vertices) {
    Box b;
    for (const PanelVertex& v : vertices) {
        b.low = glm::min(b.low, glm::vec2(v.position));
        b.high = glm::max(b.high, glm::vec2(v.position));
    }
    return b;
}

// Twice: the library measures a new window in its first frame. `end` places the panel.
std::vector<PanelVertex> layout(const std::string& name, int lines, PanelChrome chrome,
                                const std::function<void(std::vector<PanelVertex>&)>& end) {
    std::vector<PanelVertex> out;
    for (int pass = 0; pass < 2; ++pass) {
        out.clear();
        Overlay::instance().beginPanel(name, 1.0f / 60.0f, chrome);
        for (int i = 0; i < lines; ++i) ImGui::Text("Line %d of the panel", i + 1);
        end(out);
    }
    return out;
}

TEST(OverlayTest, ScenePanelsAreCentredAndGrowWithTheirLinesAndScale) {
    auto inScene = [](int lines, float scale) {
        return extent(layout("lines", lines, PanelChrome::Titled, [&](std::vector<PanelVertex>& out) {
            Overlay::instance().endPanel(out, {0, 0, 2}, {1, 0, 0}, {0, 1, 0}, scale);
        }));
    };
    const Box one = inScene(1, 0.3f), four = inScene(4, 0.3f), small = inScene(4, 0.05f);
    EXPECT_GT((four.high - four.low).y, 2.0f * (one.high - one.low).y);
    EXPECT_NEAR((four.high - four.low).x / (small.high - small.low).x, 6.0f, 1e-3f);
    EXPECT_LT(glm::length(one.low + one.high), 1e-4f);  // centred
}

// One library pixel is one window pixel, unless the window is too small for the panel.
TEST(OverlayTest, ScreenPanelsKeepTheirPixelsStayInsideTheWindowAndMisuseIsReported) {
    glm::vec2 w(0.0f);  // the library's window size
    auto onScreen = [&](const ScreenAnchor& anchor) {
        return extent(layout("screen", 3, PanelChrome::Plain, [&](std::vector<PanelVertex>& out) {
            w = glm::vec2(ImGui::GetWindowSize().x, ImGui::GetWindowSize().y);
            Overlay::instance().endScreenPanel(out, anchor);
        }));
    };
    onScreen({});
    const struct {  // where the lower left corner lands, and the size
        const char* name;
        ScreenAnchor anchor;
        glm::vec2 low, size;
    } cases[] = {
        {"lower left corner", {{10, 20}, {0, 0}, {800, 600}}, {10, 20}, w},
        {"upper right corner", {{790, 590}, {1, 1}, {800, 600}}, glm::vec2(790, 590) - w, w},
        {"centred on a whole pixel", {{400.4f, 300.4f}, {0.5f, 0.5f}, {800, 600}},
         glm::round(glm::vec2(400.4f, 300.4f) - w / 2.0f), w},
        {"pushed back inside", {{-50, 700}, {0, 0}, {800, 600}}, {0.0f, 600 - w.y}, w},
        {"shrunk to a narrow window", {{0, 0}, {0, 0}, {w.x / 2, 600}}, {0, 0}, w / 2.0f},
    };
    for (const auto& c : cases) {
        const Box b = onScreen(c.anchor);
        EXPECT_LT(glm::distance(b.low, c.low) + glm::distance(b.high - b.low, c.size), 0.01f) << c.name;
    }
    // Misuse is reported, not asserted on by the library.
    std::vector<PanelVertex> out;
    EXPECT_THROW(Overlay::instance().endPanel(out, {}, {1, 0, 0}, {0, 1, 0}, 0.3f), std::logic_error);
    EXPECT_THROW(Overlay::instance().endScreenPanel(out, {}), std::logic_error);
    Overlay::instance().beginPanel("misuse", -1.0f);  // a frame that took no time is fine
    EXPECT_THROW(Overlay::instance().beginPanel("misuse-2", 0.1f), std::logic_error);
    Overlay::instance().endPanel(out, {}, {1, 0, 0}, {0, 1, 0}, 0.3f);
    EXPECT_EQ(Overlay::instance().fontTexture(), 0u);  // no GL object without a renderer
}

}  // namespace
}  // namespace earth
