#include "overlay/PanelMapping.h"

#include <imgui.h>

#include <utility>

namespace earth {

namespace {

bool inside(const ImDrawVert& v, const ImVec4& clip) {
    return v.pos.x >= clip.x && v.pos.y >= clip.y && v.pos.x <= clip.z && v.pos.y <= clip.w;
}

glm::vec4 unpackColour(ImU32 packed) {
    return glm::vec4(static_cast<float>((packed >> IM_COL32_R_SHIFT) & 0xFF),
                     static_cast<float>((packed >> IM_COL32_G_SHIFT) & 0xFF),
                     static_cast<float>((packed >> IM_COL32_B_SHIFT) & 0xFF),
                     static_cast<float>((packed >> IM_COL32_A_SHIFT) & 0xFF)) /
           255.0f;
}

}  // namespace

void appendPanelTriangles(const ImDrawList* const* lists, int count, const PanelFrame& frame,
                          std::vector<PanelVertex>& out) {
    const glm::vec3 across = frame.right * frame.width;
    const glm::vec3 upwards = frame.up * frame.height;
    for (int l = 0; l < count; ++l) {
        const ImDrawList& list = *lists[l];
        out.reserve(out.size() + static_cast<std::size_t>(list.IdxBuffer.Size));
        for (const ImDrawCmd& cmd : list.CmdBuffer) {
            if (cmd.UserCallback != nullptr) continue;
            const unsigned end = cmd.IdxOffset + cmd.ElemCount;
            if (end > static_cast<unsigned>(list.IdxBuffer.Size)) continue;  // malformed command
            for (unsigned i = cmd.IdxOffset; i + 3 <= end; i += 3) {
                const ImDrawVert* corners[3];
                bool keep = true;
                for (unsigned k = 0; k < 3 && keep; ++k) {
                    const unsigned index = cmd.VtxOffset + list.IdxBuffer[static_cast<int>(i + k)];
                    keep = index < static_cast<unsigned>(list.VtxBuffer.Size);
                    if (keep) {
                        corners[k] = &list.VtxBuffer[static_cast<int>(index)];
                        keep = inside(*corners[k], cmd.ClipRect);
                    }
                }
                if (!keep) continue;
                // The library does not keep one winding (the strokes of its lines and of the
                // close button's cross come both ways); the panels are drawn with back faces
                // culled, so every triangle is turned the way its glyph quads are.
                const ImVec2 ab(corners[1]->pos.x - corners[0]->pos.x,
                                corners[1]->pos.y - corners[0]->pos.y);
                const ImVec2 ac(corners[2]->pos.x - corners[0]->pos.x,
                                corners[2]->pos.y - corners[0]->pos.y);
                if (ab.x * ac.y - ab.y * ac.x < 0.0f) std::swap(corners[1], corners[2]);
                for (const ImDrawVert* v : corners) {
                    const float a = (v->pos.x - frame.windowOrigin.x) / frame.windowSize.x;
                    const float b = (v->pos.y - frame.windowOrigin.y) / frame.windowSize.y;
                    PanelVertex p{};
                    p.position = frame.corner + across * a + upwards * (1.0f - b);
                    p.uv = glm::vec2(v->uv.x, v->uv.y);
                    p.colour = unpackColour(v->col);
                    out.push_back(p);
                }
            }
        }
    }
}

}  // namespace earth
