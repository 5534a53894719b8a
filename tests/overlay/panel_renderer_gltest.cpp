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

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>

namespace earth {
namespace {

using test::Rgba;

constexpr int kSize = 512;

struct PixelRect {
    int left = std::numeric_limits<int>::max(), bottom = std::numeric_limits<int>::max();
    int right = std::numeric_limits<int>::min(), top = std::numeric_limits<int>::min();
    bool contains(int x, int y, int margin) const {
        return x >= left - margin && x <= right + margin && y >= bottom - margin &&
               y <= top + margin;
    }
};

class PanelRendererTest : public ::testing::Test {
protected:
    void SetUp() override { test::enableSceneState(); }

    // Twice: the library measures a new window during its first frame, showing nothing.
    void layout(const std::string& name, const std::function<void()>& contents,
                const glm::vec3& centre, float scale) {
        for (int pass = 0; pass < 2; ++pass) {
            panels.clear();
            Overlay::instance().beginPanel(name, 1.0f / 60.0f);
            contents();
            Overlay::instance().endPanel(panels, centre, glm::vec3(1, 0, 0), glm::vec3(0, 1, 0),
                                         scale);
        }
        panels.upload();
    }
    glm::ivec2 toPixel(const glm::vec3& world) const {
        const glm::vec4 clip = projection * view * glm::vec4(world, 1.0f);
        return glm::ivec2(static_cast<int>((clip.x / clip.w * 0.5f + 0.5f) * kSize),
                          static_cast<int>((clip.y / clip.w * 0.5f + 0.5f) * kSize));
    }
    PixelRect projectedPanel() const {
        PixelRect r;
        for (const PanelVertex& v : panels.vertices()) {
            const glm::ivec2 p = toPixel(v.position);
            r.left = std::min(r.left, p.x);
            r.right = std::max(r.right, p.x);
            r.bottom = std::min(r.bottom, p.y);
            r.top = std::max(r.top, p.y);
        }
        return r;
    }
    std::vector<Rgba> render() {
        target.begin();
        panels.draw(projection, view, font.texture());
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return target.read();
    }
    void keepOnFailure(const std::vector<Rgba>& pixels, const std::string& name) {
        if (HasFailure()) target.writePng(pixels, name + ".png");
    }

    test::GlTestContext context{kSize, kSize};
    test::OffscreenTarget target{kSize, kSize};
    PanelRenderer panels;
    const FontTextureLease font;
    glm::mat4 projection = glm::perspective(glm::radians(45.0f), 1.0f, 0.1f, 100.0f);
    glm::mat4 view = glm::lookAt(glm::vec3(0, 0, 3), glm::vec3(0.0f), glm::vec3(0, 1, 0));
};

TEST_F(PanelRendererTest, PanelAppearsWhereItIsPlacedAndNowhereElse) {
    const glm::vec3 centre(-0.4f, 0.3f, 0.0f);
    layout("placed", [] {
        ImGui::Text("Name:    ISS (ZARYA)");
        ImGui::Separator();
        ImGui::Text("Apogee:  421.35km");
    }, centre, 0.3f);
    ASSERT_FALSE(panels.vertices().empty());
    const auto pixels = render();
    const PixelRect rect = projectedPanel();
    const glm::ivec2 c = toPixel(centre);
    EXPECT_NEAR((rect.left + rect.right) / 2.0, c.x, 1.5);
    EXPECT_NEAR((rect.bottom + rect.top) / 2.0, c.y, 1.5);
    int lit = 0, inside = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const Rgba p = pixels[static_cast<std::size_t>(y) * kSize + x];
            const bool background = p.r == 0 && p.g == 0 && p.b == 0;
            if (!rect.contains(x, y, 1)) {
                EXPECT_TRUE(background) << "panel pixel outside at " << x << "," << y;
                if (!background) break;
            } else if (rect.contains(x, y, -2)) {
                ++inside;
                if (!background) ++lit;
            }
        }
    }
    // The translucent window background covers its whole rectangle.
    EXPECT_GT(inside, 1000);
    EXPECT_GT(lit, inside * 95 / 100);
    keepOnFailure(pixels, "panel-placed");
}

// A line of separate vertical strokes: a scan through its middle must cross each stroke once,
// which fails for garbled triangles, a missing font texture or smeared glyphs.
TEST_F(PanelRendererTest, TextIsLegible) {
    ImVec2 windowPos, windowSize, lineStart;
    float lineWidth = 0.0f;
    const std::string strokes = "I I I I I I I";
    const glm::vec3 centre(0.0f);
    layout("legible", [&] {
        windowPos = ImGui::GetWindowPos();
        windowSize = ImGui::GetWindowSize();
        lineStart = ImGui::GetCursorScreenPos();
        lineWidth = ImGui::CalcTextSize(strokes.c_str()).x;
        ImGui::TextUnformatted(strokes.c_str());
    }, centre, 0.6f);
    const auto pixels = render();
    // World place of the middle of the text line, from the panel's world rectangle.
    const PixelRect rect = projectedPanel();
    const float pixelsPerDisplayPixel = (rect.right - rect.left) / windowSize.x;
    const float midY = lineStart.y + ImGui::GetFontSize() / 2.0f - windowPos.y;
    const int row = static_cast<int>(rect.top - midY * pixelsPerDisplayPixel);
    const int from = static_cast<int>(rect.left + (lineStart.x - windowPos.x) * pixelsPerDisplayPixel) - 2;
    const int to = static_cast<int>(from + lineWidth * pixelsPerDisplayPixel) + 4;
    ASSERT_GT(pixelsPerDisplayPixel, 1.5f) << "the glyphs must be magnified to be resolved";
    int strokesSeen = 0;
    bool inStroke = false;
    for (int x = from; x <= to; ++x) {
        const Rgba p = pixels[static_cast<std::size_t>(row) * kSize + x];
        const bool bright = p.r > 128 && p.g > 128 && p.b > 128;
        if (bright && !inStroke) ++strokesSeen;
        inStroke = bright;
    }
    EXPECT_EQ(strokesSeen, 7) << "row " << row << " from " << from << " to " << to;
    keepOnFailure(pixels, "panel-legible");
}

TEST_F(PanelRendererTest, EmptyListDrawsNothingAndStateIsRestored) {
    panels.clear();
    panels.upload();
    const auto pixels = render();
    for (const Rgba& p : pixels) ASSERT_TRUE(p.r == 0 && p.g == 0 && p.b == 0);

    layout("state", [] { ImGui::Text("state"); }, glm::vec3(0.0f), 0.3f);
    render();
    GLint frontFace = 0;
    glGetIntegerv(GL_FRONT_FACE, &frontFace);
    EXPECT_EQ(frontFace, GL_CCW);
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_TRUE);
}

// The font texture belongs to the GL context: it goes with the last lease, while the overlay
// itself lives on to the end of the program.
TEST(FontTextureLeaseTest, TextureIsReleasedWithTheLastLease) {
    test::GlTestContext context;
    GLuint name = 0;
    {
        const FontTextureLease first;
        name = first.texture();
        ASSERT_NE(name, 0u);
        EXPECT_EQ(glIsTexture(name), GL_TRUE);
        {
            const FontTextureLease second;
            EXPECT_EQ(second.texture(), name);
        }
        EXPECT_EQ(first.texture(), name) << "still held by the first";
    }
    EXPECT_EQ(Overlay::instance().fontTexture(), 0u);
    EXPECT_EQ(glIsTexture(name), GL_FALSE);
}

// The overlay outlives the window: at exit it only shuts the library down and writes its
// settings file; it never reaches into the context that is already gone.
TEST(PanelRendererExitDeathTest, OverlayShutsDownAfterTheContextIsGone) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* name;
        bool rendererDestroyedFirst;  // the scene's order; otherwise it is never destroyed
    };
    // The child reruns this test from the start and finds the parent's directory this way.
    const char* inherited = std::getenv("PANEL_EXIT_TEST_DIR");
    const std::filesystem::path dir =
        inherited != nullptr ? std::filesystem::path(inherited)
                             : std::filesystem::temp_directory_path() /
                                   ("panel-exit-" + std::to_string(::getpid()));
    ::setenv("PANEL_EXIT_TEST_DIR", dir.c_str(), 1);
    for (const Case c : {Case{"scene order", true}, Case{"renderer never destroyed", false}}) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        EXPECT_EXIT(
            {
                std::filesystem::current_path(dir);
                {
                    test::GlTestContext context;
                    auto* font = new FontTextureLease;
                    auto* panels = new PanelRenderer;
                    for (int pass = 0; pass < 2; ++pass) {
                        Overlay::instance().beginPanel("exit", 0.016f);
                        ImGui::Text("exit");
                        Overlay::instance().endPanel(*panels, glm::vec3(0.0f), glm::vec3(1, 0, 0),
                                                     glm::vec3(0, 1, 0), 0.3f);
                    }
                    if (c.rendererDestroyedFirst) {
                        delete panels;
                        delete font;
                    }
                }
                std::exit(0);
            },
            ::testing::ExitedWithCode(0), "")
            << c.name;
        EXPECT_TRUE(std::filesystem::exists(dir / "imgui.ini")) << c.name;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace earth
