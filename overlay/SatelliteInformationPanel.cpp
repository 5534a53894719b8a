#include "overlay/SatelliteInformationPanel.h"

#include "data/SatelliteInformation.h"
#include "overlay/Overlay.h"

#include <imgui.h>

namespace earth {

void drawSatelliteInformation(PanelRenderer& panels, const PanelPlacement& place, float dt,
                              const Satellite& satellite, bool nameOnly) {
    Overlay& overlay = Overlay::instance();
    overlay.beginPanel(informationPanelId(satellite), dt);
    for (const InformationLine& line : satelliteInformation(satellite, nameOnly)) {
        if (line.separator) {
            ImGui::Separator();
        } else {
            ImGui::TextUnformatted(line.text.c_str(), line.text.c_str() + line.text.size());
        }
    }
    overlay.endPanel(panels, place.centre, place.right, place.up, place.scale);
}

}  // namespace earth
