#pragma once
// A satellite's information panel: its lines laid out by the overlay and placed in the scene.

#include "render/PanelPlacement.h"
#include "render/PanelVertex.h"

#include <vector>

namespace earth {

class PanelRenderer;
struct Satellite;
struct ScreenAnchor;

// One complete overlay frame; the triangles are appended to `panels`' vertex list.
void drawSatelliteInformation(PanelRenderer& panels, const PanelPlacement& place, float dt,
                              const Satellite& satellite, bool nameOnly);
// The same on the window (the desktop's ride), in window pixels.
void drawSatelliteInformation(std::vector<PanelVertex>& out, const ScreenAnchor& anchor, float dt,
                              const Satellite& satellite, bool nameOnly);

}  // namespace earth
