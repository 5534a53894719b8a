#include "overlay/PanelMapping.h"

#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <imgui.h>

#include <string>
#include <vector>

namespace earth {
namespace {

constexpr ImU32 kWhite = IM_COL32(255, 255, 255, 255);

// Builds draw lists the way the library does: vertices, 16-bit indices, commands that each
// cover a run of indices with their own clip rectangle.
struct ListBuilder {
    ImDrawList list{nullptr};

    ImDrawIdx vertex(float x, float y, ImU32 colour = kWhite, float u = 0.0f, float v = 0.0f) {
        ImDrawVert vert;
        vert.pos = ImVec2(x, y);
        vert.uv = ImVec2(u, v);
        vert.col = colour;
        list.VtxBuffer.push_back(vert);
        return static_cast<ImDrawIdx>(list.VtxBuffer.Size - 1);
    }
    // An axis-aligned quad as two triangles sharing the diagonal, like a glyph.
    void quad(float x1, float y1, float x2, float y2, ImU32 colour = kWhite) {
        const ImDrawIdx a = vertex(x1, y1, colour), b = vertex(x2, y1, colour);
        const ImDrawIdx c = vertex(x2, y2, colour), d = vertex(x1, y2, colour);
        for (ImDrawIdx i : {a, b, c, a, c, d}) list.IdxBuffer.push_back(i);
    }
    void command(ImVec4 clip, unsigned firstIndex, unsigned count, unsigned vtxOffset = 0) {
        ImDrawCmd cmd;
        cmd.ClipRect = clip;
        cmd.IdxOffset = firstIndex;
        cmd.ElemCount = count;
        cmd.VtxOffset = vtxOffset;
        list.CmdBuffer.push_back(cmd);
    }
};

// Window at (100, 200), 50 x 25 pixels, mapped onto a 2 x 1 rectangle in the z = 3 plane.
PanelFrame testFrame() {
    PanelFrame f;
    f.windowOrigin = {100.0f, 200.0f};
    f.windowSize = {50.0f, 25.0f};
    f.corner = {-1.0f, -0.5f, 3.0f};
    f.right = {1.0f, 0.0f, 0.0f};
    f.up = {0.0f, 1.0f, 0.0f};
    f.width = 2.0f;
    f.height = 1.0f;
    return f;
}

std::vector<PanelVertex> map(const ListBuilder& b, const PanelFrame& frame = testFrame()) {
    std::vector<PanelVertex> out;
    const ImDrawList* lists[] = {&b.list};
    appendPanelTriangles(lists, 1, frame, out);
    return out;
}

TEST(PanelMappingTest, PlacesWindowCornersOnTheRectangleAllTurnedTheWayOfTheGlyphQuads) {
    ListBuilder b;
    b.vertex(100, 200, IM_COL32(10, 20, 30, 40), 0.25f, 0.75f);  // top-left
    b.vertex(150, 200);                                          // top-right
    b.vertex(125, 225);                                          // bottom middle
    for (ImDrawIdx i : {0, 1, 2, 0, 2, 1}) b.list.IdxBuffer.push_back(i);  // then reversed
    b.quad(110, 205, 120, 215);
    b.command(ImVec4(0, 0, 1024, 1024), 0, 12);
    const auto out = map(b);
    ASSERT_EQ(out.size(), 12u);
    for (std::size_t t = 0; t < 6; t += 3) {
        EXPECT_EQ(out[t].position, glm::vec3(-1.0f, 0.5f, 3.0f)) << t;
        EXPECT_EQ(out[t + 1].position, glm::vec3(1.0f, 0.5f, 3.0f)) << t;
        EXPECT_EQ(out[t + 2].position, glm::vec3(0.0f, -0.5f, 3.0f)) << t;
    }
    EXPECT_EQ(out[0].uv, glm::vec2(0.25f, 0.75f));
    EXPECT_EQ(out[0].colour, glm::vec4(10, 20, 30, 40) / 255.0f);
    EXPECT_EQ(out[1].colour, glm::vec4(1.0f));
    // Seen from the viewer (on +Z here) every triangle runs clockwise.
    for (std::size_t t = 0; t < out.size(); t += 3) {
        const glm::vec3 n = glm::cross(out[t + 1].position - out[t].position,
                                       out[t + 2].position - out[t].position);
        EXPECT_LT(n.z, 0.0f) << "triangle " << t / 3;
    }
}

TEST(PanelMappingTest, KeepsOrDropsWholeTriangles) {
    const ImVec4 clip(110, 205, 140, 220);
    struct Case {
        const char* name;
        float x1, y1, x2, y2;  // a quad (two triangles)
        std::size_t kept;      // vertices
    };
    const Case cases[] = {
        {"inside", 115, 208, 120, 215, 6},
        {"exactly on every edge", 110, 205, 140, 220, 6},
        {"one column past the right edge", 135, 208, 140.5f, 215, 0},
        {"crossing the top edge", 115, 204, 120, 210, 0},
        {"outside", 10, 10, 20, 20, 0},
    };
    for (const Case& c : cases) {
        ListBuilder b;
        b.quad(c.x1, c.y1, c.x2, c.y2);
        b.command(clip, 0, 6);
        EXPECT_EQ(map(b).size(), c.kept) << c.name;
    }
}

// A glyph crossing the clip edge must not shift the corners of the glyphs after it into
// other triangles: each kept triangle keeps exactly its own three corners.
TEST(PanelMappingTest, GlyphCrossingTheClipEdgeLeavesLaterGlyphsIntact) {
    ListBuilder b;
    const ImVec4 clip(100, 200, 130, 225);
    b.quad(110, 205, 118, 218);  // inside
    b.quad(126, 205, 134, 218);  // crosses x = 130
    b.quad(102, 210, 108, 220);  // inside, after the crossing one
    b.command(clip, 0, 18);
    const auto out = map(b);
    ASSERT_EQ(out.size(), 12u);
    // Expected corners of the two surviving glyphs, in window pixels, triangle by triangle.
    const float expected[12][2] = {{110, 205}, {118, 205}, {118, 218}, {110, 205}, {118, 218},
                                   {110, 218}, {102, 210}, {108, 210}, {108, 220}, {102, 210},
                                   {108, 220}, {102, 220}};
    const PanelFrame f = testFrame();
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float a = (expected[i][0] - 100.0f) / 50.0f;
        const float bDown = (expected[i][1] - 200.0f) / 25.0f;
        const glm::vec3 p = f.corner + f.right * (f.width * a) + f.up * (f.height * (1 - bDown));
        EXPECT_NEAR(out[i].position.x, p.x, 1e-6f) << "vertex " << i;
        EXPECT_NEAR(out[i].position.y, p.y, 1e-6f) << "vertex " << i;
    }
}

TEST(PanelMappingTest, ExpandsIndexedCommandsWithOffsetsIgnoresBrokenOnesAndAppends) {
    ListBuilder b;
    b.quad(101, 201, 102, 202);                              // indices 0..5, vertices 0..3
    b.quad(103, 203, 104, 204);                              // indices 6..11, vertices 4..7
    b.command(ImVec4(100, 200, 110, 210), 0, 6);             // first quad
    b.command(ImVec4(100, 200, 110, 210), 0, 6, 4);          // same indices, shifted vertices
    b.command(ImVec4(100, 200, 110, 210), 6, 12);            // runs past the index list
    b.list.IdxBuffer.push_back(40);                          // index 12: no such vertex
    b.list.IdxBuffer.push_back(0);
    b.list.IdxBuffer.push_back(1);
    b.command(ImVec4(100, 200, 110, 210), 12, 3);
    const auto out = map(b);
    ASSERT_EQ(out.size(), 12u);
    const PanelFrame f = testFrame();
    EXPECT_NEAR(out[0].position.x, f.corner.x + 2.0f * 1.0f / 50.0f, 1e-6f);
    EXPECT_NEAR(out[6].position.x, f.corner.x + 2.0f * 3.0f / 50.0f, 1e-6f);

    // Several lists are appended after what is already there.
    std::vector<PanelVertex> appended(5);
    const ImDrawList* lists[] = {&b.list, &b.list};
    appendPanelTriangles(lists, 2, f, appended);
    EXPECT_EQ(appended.size(), 29u);
}

}  // namespace
}  // namespace earth
