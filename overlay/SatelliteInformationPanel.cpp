#include "overlay/SatelliteInformationPanel.h"

#include "data/Satellite.h"
#include "data/SatelliteInformation.h"
#include "overlay/Overlay.h"

#include <imgui.h>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace earth {
namespace {

// A panel is laid out every frame, but a satellite's lines never change: the texts of the
// last few panels are kept so that a steady frame builds no strings. The catalogue never
// changes after start-up, so a catalogue number always stands for the same lines.
struct PanelText {
    std::int32_t number = -1;
    bool nameOnly = false;
    std::string id;
    std::vector<InformationLine> lines;
};

const PanelText& panelText(const Satellite& satellite, bool nameOnly) {
    static std::array<PanelText, 8> kept;
    static std::size_t nextSlot = 0;
    for (const PanelText& text : kept) {
        if (text.number == satellite.catalogNumber && text.nameOnly == nameOnly) return text;
    }
    PanelText& text = kept[nextSlot];
    nextSlot = (nextSlot + 1) % kept.size();
    text.number = satellite.catalogNumber;
    text.nameOnly = nameOnly;
    text.id = informationPanelId(satellite);
    text.lines = satelliteInformation(satellite, nameOnly);
    return text;
}

// Opens the panel's window and writes its lines.
void beginInformation(float dt, const Satellite& satellite, bool nameOnly) {
    const PanelText& text = panelText(satellite, nameOnly);
    Overlay::instance().beginPanel(text.id, dt);
    for (const InformationLine& line : text.lines) {
        if (line.separator) {
            ImGui::Separator();
        } else {
            ImGui::TextUnformatted(line.text.c_str(), line.text.c_str() + line.text.size());
        }
    }
}

}  // namespace

void drawSatelliteInformation(PanelRenderer& panels, const PanelPlacement& place, float dt,
                              const Satellite& satellite, bool nameOnly) {
    beginInformation(dt, satellite, nameOnly);
    Overlay::instance().endPanel(panels, place.centre, place.right, place.up, place.scale);
}

void drawSatelliteInformation(std::vector<PanelVertex>& out, const ScreenAnchor& anchor, float dt,
                              const Satellite& satellite, bool nameOnly) {
    beginInformation(dt, satellite, nameOnly);
    Overlay::instance().endScreenPanel(out, anchor);
}

}  // namespace earth
