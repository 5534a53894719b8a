#include "app/Hud.h"

#include "audio/AudioTrack.h"
#include "data/Catalogue.h"
#include "data/ControlsTable.h"
#include "data/ResourceRegistry.h"
#include "data/SatelliteSearch.h"
#include "data/StatusText.h"
#include "overlay/HudPanels.h"
#include "overlay/Overlay.h"
#include "overlay/SatelliteInformationPanel.h"
#include "render/PanelPlacement.h"
#include "script/FrameInput.h"
#include "script/ScriptElement.h"
#include "script/Tour.h"

#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>

#include <string>

namespace earth {
namespace {

// The frame as the script sees it while the display has the keys: time, gaze and pointer.
FrameInput withoutKeys(const FrameInput& input) {
    FrameInput quiet;
    quiet.dt = input.dt;
    quiet.gaze = input.gaze;
    quiet.pointer = input.pointer;
    return quiet;
}

}  // namespace

Hud::Hud(const std::vector<Satellite>& catalogue) : catalogue_(catalogue) {
    matches_.reserve(kMatches);
    controlsTable();  // a broken table stops the start, not the first press of F1
}

bool Hud::pinned(const ScriptContext& script, const InfoPanelEntry& entry) {
    return script.desktop && entry.nearView;
}

bool Hud::takeInput(FrameInput& input, ScriptContext& script) {
    if (input.wasPressed(Control::Subtitles) && !searchOpen_) subtitles_ = !subtitles_;
    if (!script.desktop) return input.wasPressed(Control::Escape);
    looking_ = input.isHeld(Control::Continue) && !searchOpen_;
    if (searchOpen_) {
        search(input, script);
        return false;
    }
    if (input.wasPressed(Control::Search)) {
        searchOpen_ = true;
        queryLength_ = 0;
        highlighted_ = 0;
        matches_.clear();
        input = withoutKeys(input);
        return false;
    }
    if (input.wasPressed(Control::Help)) help_ = !help_;
    if (!input.wasPressed(Control::Escape)) return false;
    if (!help_) return true;
    help_ = false;
    return false;
}

void Hud::search(FrameInput& input, ScriptContext& script) {
    // Every key belongs to the field: the typed "h" of a name must not open the help, nor an
    // arrow turn the view.
    const FrameInput keys = input;
    input = withoutKeys(input);
    if (keys.wasPressed(Control::Escape)) {
        searchOpen_ = false;
        return;
    }
    if (keys.wasPressed(Control::Select)) {
        if (highlighted_ < matches_.size()) {
            searchOpen_ = false;
            help_ = false;
            flyToSatellite(script, matches_[highlighted_]->catalogNumber);
        }
        return;
    }
    bool changed = false;
    if (keys.wasPressed(Control::Backspace) && queryLength_ > 0) {
        --queryLength_;
        changed = true;
    }
    for (std::size_t i = 0; i < keys.typedCount && queryLength_ < sizeof query_; ++i) {
        query_[queryLength_++] = keys.typed[i];
        changed = true;
    }
    if (changed) {
        searchSatellites(catalogue_, query(), kMatches, matches_);
        highlighted_ = 0;
    }
    if (keys.wasPressed(Control::Down) && highlighted_ + 1 < matches_.size()) ++highlighted_;
    if (keys.wasPressed(Control::Up) && highlighted_ > 0) --highlighted_;
}

std::string_view Hud::subtitle(const ScriptContext& script) {
    const AudioTrack* track = script.narration;
    if (!subtitles_ || track == nullptr || !(track->isPlaying() || track->isPaused())) return {};
    if (narrationId_ != script.narrationId) {
        narrationId_ = script.narrationId;
        const auto text = findResource("TEXT", std::to_string(narrationId_));
        lines_ = text ? narrationLines(*text) : std::vector<NarrationLine>{};
    }
    const std::size_t line = subtitleAt(lines_, static_cast<double>(track->positionMs()) / 1000.0,
                                        static_cast<double>(track->lengthMs()) / 1000.0);
    return line < lines_.size() ? lines_[line].text : std::string_view();
}

void Hud::layOut(const ScriptContext& script, double seconds, glm::vec2 window, float dt,
                 PanelRenderer& scenePanels, const PanelCamera& camera) {
    panels_.clear();
    const std::string_view line = subtitle(script);
    if (!script.desktop) {
        if (!line.empty()) {
            // Low in the view and a little ahead of the information panels beside it.
            PanelPlacement place;
            place.centre = camera.position + 0.5f * camera.forward - 0.2f * camera.up;
            place.facing = camera.forward;
            place.right = camera.right;
            place.up = camera.up;
            place.scale = 0.025f;
            drawSubtitle(scenePanels.vertices(), place, dt, line);
        }
        return;
    }
    const HudTarget target{panels_.vertices(), window, dt};
    drawStatusLine(target, statusText(seconds, script.rate, script.paused, script.shown).data());
    for (const auto& [number, entry] : script.panels) {
        const Satellite* satellite = satelliteByNumber(catalogue_, number);
        if (!pinned(script, entry) || satellite == nullptr) continue;
        // The upper right corner, clear of the status line and the search field.
        const ScreenAnchor corner{window - glm::vec2(8.0f), glm::vec2(1.0f), window};
        drawSatelliteInformation(panels_.vertices(), corner, dt, *satellite, entry.details == 0);
    }
    if (looking_ && inFreeExploration(script)) drawCrosshair(target);
    if (!line.empty()) drawSubtitle(target, line);
    if (help_) drawHelp(target, controlsTable());
    if (searchOpen_) drawSearch(target, query(), matches_, highlighted_);
    panels_.upload();
}

void Hud::draw(glm::vec2 window, unsigned fontTexture) {
    if (panels_.vertices().empty()) return;
    // Over everything the scene drew, whatever its depth.
    glDisable(GL_DEPTH_TEST);
    panels_.draw(glm::ortho(0.0f, window.x, 0.0f, window.y), glm::mat4(1.0f), fontTexture);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace earth
