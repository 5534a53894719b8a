#pragma once
// A satellite's information panel: its lines laid out by the overlay and placed in the scene.

#include "render/PanelPlacement.h"

namespace earth {

class PanelRenderer;
struct Satellite;

// One complete overlay frame; the triangles are appended to `panels`' vertex list.
void drawSatelliteInformation(PanelRenderer& panels, const PanelPlacement& place, float dt,
                              const Satellite& satellite, bool nameOnly);

}  // namespace earth
