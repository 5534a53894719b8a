#pragma once
// The desktop's heads-up display as overlay panels on the window: the status line, the help
// with the colour legend, the search field, a subtitle and the crosshair. Each call is one
// complete overlay frame; its triangles are appended to `out` in window pixels (origin at the
// bottom left), except the headset's subtitle, which is placed in the scene.

#include "render/PanelVertex.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <cstddef>
#include <string_view>
#include <vector>

namespace earth {

struct ControlRow;
struct PanelPlacement;
struct Satellite;

struct HudTarget {
    std::vector<PanelVertex>& out;
    glm::vec2 window;  // the window's size in pixels
    float dt;          // the frame's real time step
};

// A small dim line in the upper left corner.
void drawStatusLine(const HudTarget& target, const char* text);

// The table of controls and the legend of the class colours, in the middle of the window.
void drawHelp(const HudTarget& target, const std::vector<ControlRow>& controls);

// The search field at the top: the typed text and the matches, each with its class colour,
// the highlighted one marked.
void drawSearch(const HudTarget& target, std::string_view query,
                const std::vector<const Satellite*>& matches, std::size_t highlighted);

// One line of narration at the bottom of the window.
void drawSubtitle(const HudTarget& target, std::string_view text);
// The same in the scene, on the panel placed by `place` (the headset).
void drawSubtitle(std::vector<PanelVertex>& out, const PanelPlacement& place, float dt,
                  std::string_view text);

// A small cross on the centre of the view.
void drawCrosshair(const HudTarget& target);

}  // namespace earth
