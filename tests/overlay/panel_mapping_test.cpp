#include "overlay/PanelMapping.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <imgui.h>

#include <vector>

namespace earth {
namespace {

// Draw lists built the way the library builds them: vertices, 16-bit indices, commands that
// each cover a run of indices with their own clip rectangle.
struct ListBuilder {
    ImDrawList list{nullptr};
    ImDrawIdx vertex(float x, float y, ImU32 colour = IM_COL32_WHITE, ImVec2 uv = {}) {
        list.VtxBuffer.push_back(ImDrawVert{ImVec2(x, y), uv, colour});
        return static_cast<ImDrawIdx>(list.VtxBuffer.Size - 1);
    }
    // An axis-aligned quad as two triangles sharing the diagonal, like a glyph.
    void quad(float x1, float y1, float x2, float y2) {
        const ImDrawIdx a = vertex(x1, y1), b = vertex(x2, y1), c = vertex(x2, y2), d = vertex(x1, y2);
        for (ImDrawIdx i : {a, b, c, a, c, d}) list.IdxBuffer.push_back(i);
    }
    void command(ImVec4 clip, unsigned first, unsigned count, unsigned offset = 0) {
        ImDrawCmd cmd;
        cmd.ClipRect = clip, cmd.IdxOffset = first, cmd.ElemCount = count, cmd.VtxOffset = offset;
        list.CmdBuffer.push_back(cmd);
    }
    // The window at (100, 200), 50 x 25 pixels, onto a 2 x 1 rectangle in the z = 3 plane.
    std::vector<PanelVertex> map(std::vector<PanelVertex> out = {}) const {
        PanelFrame f;
        f.windowOrigin = {100.0f, 200.0f}, f.windowSize = {50.0f, 25.0f};
        f.corner = {-1.0f, -0.5f, 3.0f}, f.width = 2.0f;
        const ImDrawList* lists[] = {&list, &list};
        appendPanelTriangles(lists, out.empty() ? 1 : 2, f, out);
        return out;
    }
};

TEST(PanelMappingTest, PlacesCornersOnTheRectangleTurnedAsGlyphsAndExpandsIndexedCommands) {
    ListBuilder b;
    b.vertex(100, 200, IM_COL32(10, 20, 30, 40), ImVec2(0.25f, 0.75f));  // top-left
    b.vertex(150, 200);                                                  // top-right
    b.vertex(125, 225);                                                  // bottom middle
    for (ImDrawIdx i : {0, 1, 2, 0, 2, 1}) b.list.IdxBuffer.push_back(i);  // then reversed
    b.quad(110, 205, 120, 215);
    b.command(ImVec4(0, 0, 1024, 1024), 0, 12);
    const auto out = b.map();
    ASSERT_EQ(out.size(), 12u);
    for (std::size_t t = 0; t < 6; t += 3) {  // the reversed triangle is turned back
        EXPECT_EQ(out[t].position, glm::vec3(-1.0f, 0.5f, 3.0f)) << t;
        EXPECT_EQ(out[t + 1].position, glm::vec3(1.0f, 0.5f, 3.0f)) << t;
        EXPECT_EQ(out[t + 2].position, glm::vec3(0.0f, -0.5f, 3.0f)) << t;
    }
    EXPECT_EQ(out[0].uv, glm::vec2(0.25f, 0.75f));
    EXPECT_EQ(out[0].colour, glm::vec4(10, 20, 30, 40) / 255.0f);
    for (std::size_t t = 0; t < out.size(); t += 3) {  // clockwise seen from +Z
        const glm::vec3 n = glm::cross(out[t + 1].position - out[t].position,
                                       out[t + 2].position - out[t].position);
        EXPECT_LT(n.z, 0.0f) << "triangle " << t / 3;
    }
    // Indexed commands with offsets are expanded, broken ones skipped, lists appended.
    ListBuilder c;
    c.quad(101, 201, 102, 202);
    c.quad(103, 203, 104, 204);
    const ImVec4 clip(100, 200, 110, 210);
    c.command(clip, 0, 6);      // the first quad
    c.command(clip, 0, 6, 4);   // the same indices on the second quad's vertices
    c.command(clip, 6, 12);     // runs past the index list
    for (ImDrawIdx i : {40, 0, 1}) c.list.IdxBuffer.push_back(i);  // 40: no such vertex
    c.command(clip, 12, 3);
    const auto indexed = c.map();
    ASSERT_EQ(indexed.size(), 12u);
    EXPECT_NEAR(indexed[6].position.x, -1.0f + 2.0f * 3.0f / 50.0f, 1e-6f);
    EXPECT_EQ(c.map(std::vector<PanelVertex>(5)).size(), 29u);
}

TEST(PanelMappingTest, KeepsOrDropsWholeTriangles) {
    const struct {
        const char* name;
        float x1, y1, x2, y2;  // a quad (two triangles)
        std::size_t kept;      // vertices
    } cases[] = {
        {"inside", 115, 208, 120, 215, 6},
        {"exactly on every edge", 110, 205, 140, 220, 6},
        {"one column past the right edge", 135, 208, 140.5f, 215, 0},
        {"crossing the top edge", 115, 204, 120, 210, 0},
        {"outside", 10, 10, 20, 20, 0},
    };
    for (const auto& c : cases) {
        ListBuilder b;
        b.quad(c.x1, c.y1, c.x2, c.y2);
        b.command(ImVec4(110, 205, 140, 220), 0, 6);
        EXPECT_EQ(b.map().size(), c.kept) << c.name;
    }
}

}  // namespace
}  // namespace earth
