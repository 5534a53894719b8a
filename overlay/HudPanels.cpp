#include "overlay/HudPanels.h"

#include "data/ClassColours.h"
#include "data/ControlsTable.h"
#include "data/Satellite.h"
#include "overlay/Overlay.h"
#include "render/PanelPlacement.h"

#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace earth {
namespace {

constexpr float kMargin = 8.0f;  // window pixels between a panel and the window's edge

const ImVec4 kDim(0.72f, 0.74f, 0.78f, 1.0f);
const ImVec4 kKey(1.0f, 0.93f, 0.7f, 1.0f);

ImU32 packed(const glm::vec4& c) {
    return ImGui::ColorConvertFloat4ToU32(ImVec4(c.r, c.g, c.b, 1.0f));
}

// A filled square of the line's height, then the rest of the line.
void swatch(const glm::vec4& colour) {
    const float side = ImGui::GetTextLineHeight();
    const ImVec2 at = ImGui::GetCursorScreenPos();
    ImGui::GetWindowDrawList()->AddRectFilled(at, ImVec2(at.x + side, at.y + side), packed(colour));
    ImGui::Dummy(ImVec2(side, side));
    ImGui::SameLine();
}

void text(std::string_view s, const ImVec4& colour) {
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    ImGui::TextUnformatted(s.data(), s.data() + s.size());
    ImGui::PopStyleColor();
}

void endOnScreen(const HudTarget& target, glm::vec2 point, glm::vec2 pivot) {
    Overlay::instance().endScreenPanel(target.out, ScreenAnchor{point, pivot, target.window});
}

void subtitleText(std::string_view line, float wrapWidth) {
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + wrapWidth);
    ImGui::TextUnformatted(line.data(), line.data() + line.size());
    ImGui::PopTextWrapPos();
}

}  // namespace

void drawStatusLine(const HudTarget& target, const char* line) {
    static const std::string name = "##status";
    Overlay::instance().beginPanel(name, target.dt, PanelChrome::Translucent);
    text(line, kDim);
    endOnScreen(target, glm::vec2(kMargin, target.window.y - kMargin), glm::vec2(0.0f, 1.0f));
}

void drawHelp(const HudTarget& target, const std::vector<ControlRow>& controls) {
    static const std::string name = "##help";
    Overlay::instance().beginPanel(name, target.dt, PanelChrome::Plain);
    text("Controls", ImVec4(1.0f, 1.0f, 1.0f, 1.0f));
    ImGui::Separator();
    // Columns as wide as their widest cell (the first one wraps), so that the table needs no
    // table state of the library; a row is as tall as its tallest cell.
    const char* heads[4] = {"To do this", "Keyboard", "Mouse", "Controller"};
    float widths[4] = {};
    for (int c = 0; c < 4; ++c) widths[c] = ImGui::CalcTextSize(heads[c]).x;
    for (const ControlRow& row : controls) {
        const std::string* cells[4] = {&row.action, &row.keyboard, &row.mouse, &row.controller};
        for (int c = 0; c < 4; ++c) {
            widths[c] = std::max(widths[c], ImGui::CalcTextSize(cells[c]->c_str()).x);
        }
    }
    widths[0] = std::min(widths[0], 34.0f * ImGui::CalcTextSize("x").x);
    const float gap = 2.0f * ImGui::GetStyle().ItemSpacing.x;
    auto cellsOf = [&](const std::string_view (&cells)[4], bool head) {
        float x = ImGui::GetCursorPosX();
        for (int c = 0; c < 4; ++c) {
            if (c > 0) ImGui::SameLine(x);
            ImGui::PushTextWrapPos(x + widths[c]);
            text(cells[c], head ? kDim : c == 0 ? ImVec4(1.0f, 1.0f, 1.0f, 1.0f) : kKey);
            ImGui::PopTextWrapPos();
            x += widths[c] + gap;
        }
    };
    cellsOf({heads[0], heads[1], heads[2], heads[3]}, true);
    for (const ControlRow& row : controls) {
        cellsOf({row.action, row.keyboard, row.mouse, row.controller}, false);
    }
    ImGui::Separator();
    text("Colours", ImVec4(1.0f, 1.0f, 1.0f, 1.0f));
    struct Entry {
        const char* name;
        glm::vec4 colour;
    };
    const Entry legend[] = {{"LEO: low, up to 2,000 km", colours::leo},
                            {"MEO: medium", colours::meo},
                            {"GEO: geosynchronous, 35,786 km", colours::geo},
                            {"Elliptical: long loops", colours::elliptical},
                            {"Debris: fragments (tour)", colours::debris}};
    for (std::size_t i = 0; i < std::size(legend); ++i) {
        if (i % 3 != 0) ImGui::SameLine(0.0f, 3.0f * gap);
        swatch(legend[i].colour);
        text(legend[i].name, kDim);
    }
    ImGui::Separator();
    text("F1 or H closes this help; Escape closes it too.", kDim);
    endOnScreen(target, target.window * 0.5f, glm::vec2(0.5f));
}

void drawSearch(const HudTarget& target, std::string_view query,
                const std::vector<const Satellite*>& matches, std::size_t highlighted) {
    static const std::string name = "##search";
    Overlay::instance().beginPanel(name, target.dt, PanelChrome::Plain);
    ImGui::Dummy(ImVec2(360.0f, 0.0f));  // a steady width while the list changes
    text("Search:", kDim);
    ImGui::SameLine();
    ImGui::TextUnformatted(query.data(), query.data() + query.size());
    ImGui::SameLine(0.0f, 0.0f);
    text("_", kKey);
    ImGui::Separator();
    if (matches.empty()) {
        text(query.empty() ? "Type part of a name or a catalogue number." : "No match.", kDim);
    }
    for (std::size_t i = 0; i < matches.size(); ++i) {
        const Satellite& s = *matches[i];
        swatch(colours::ofClass(s.orbitClass));
        char line[96];
        std::snprintf(line, sizeof line, "%6d  %s", s.catalogNumber, s.name.c_str());
        ImGui::PushID(static_cast<int>(i));
        ImGui::Selectable(line, i == highlighted);
        ImGui::PopID();
    }
    ImGui::Separator();
    text("Up, Down choose; Enter flies there; Escape closes.", kDim);
    // Below the status line.
    endOnScreen(target, glm::vec2(target.window.x * 0.5f, target.window.y - 5.0f * kMargin),
                glm::vec2(0.5f, 1.0f));
}

void drawSubtitle(const HudTarget& target, std::string_view line) {
    static const std::string name = "##subtitle";
    Overlay::instance().beginPanel(name, target.dt, PanelChrome::Translucent);
    subtitleText(line, std::min(target.window.x * 0.8f, 720.0f));
    endOnScreen(target, glm::vec2(target.window.x * 0.5f, 3.0f * kMargin), glm::vec2(0.5f, 0.0f));
}

void drawSubtitle(std::vector<PanelVertex>& out, const PanelPlacement& place, float dt,
                  std::string_view line) {
    static const std::string name = "##subtitle-scene";
    Overlay::instance().beginPanel(name, dt, PanelChrome::Translucent);
    subtitleText(line, 480.0f);
    Overlay::instance().endPanel(out, place.centre, place.right, place.up, place.scale);
}

void drawCrosshair(const HudTarget& target) {
    static const std::string name = "##crosshair";
    Overlay::instance().beginPanel(name, target.dt, PanelChrome::Bare);
    const float arm = 10.0f;
    const ImVec2 at = ImGui::GetCursorScreenPos();
    const ImVec2 c(at.x + arm + 1.0f, at.y + arm + 1.0f);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    // A dark outline keeps the white cross visible over the lit globe.
    for (const auto& [grow, colour] : {std::pair{2.0f, IM_COL32(0, 0, 0, 160)},
                                       std::pair{1.0f, IM_COL32(255, 255, 255, 230)}}) {
        draw->AddRectFilled(ImVec2(c.x - arm, c.y - grow), ImVec2(c.x + arm, c.y + grow), colour);
        draw->AddRectFilled(ImVec2(c.x - grow, c.y - arm), ImVec2(c.x + grow, c.y + arm), colour);
    }
    ImGui::Dummy(ImVec2(2.0f * arm + 2.0f, 2.0f * arm + 2.0f));
    endOnScreen(target, target.window * 0.5f, glm::vec2(0.5f));
}

}  // namespace earth
