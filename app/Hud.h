#pragma once
// The desktop's heads-up display, drawn over the finished picture: the status line, the help
// and colour legend, the search field, the narration's subtitles, the crosshair while looking
// to select, and the ridden satellite's panel pinned to a corner. It takes its keys out of the
// frame's input before the script sees them. In a headset only the subtitles are shown, on a
// panel low in the view.

#include "data/Satellite.h"
#include "data/Subtitles.h"
#include "render/PanelRenderer.h"

#include <glm/vec2.hpp>

#include <cstddef>
#include <string_view>
#include <vector>

namespace earth {

struct FrameInput;
struct InfoPanelEntry;
struct PanelCamera;
struct ScriptContext;

class Hud {
public:
    static constexpr std::size_t kMatches = 10;  // search results listed at most

    // Needs the GL context current. `catalogue` must outlive the display.
    explicit Hud(const std::vector<Satellite>& catalogue);

    // F1/H toggles the help and C the subtitles; "/" or Ctrl+F opens the search field, which
    // then takes every key (typing, Up, Down, Backspace, Enter to fly to the highlighted
    // match) and leaves the script a frame without presses, steering or text. Escape closes
    // the field, else the help. Returns true when Escape found nothing open: time to quit.
    bool takeInput(FrameInput& input, ScriptContext& script);

    // This frame's panels: on the window in a desktop window, else the subtitle on
    // `scenePanels` low in front of `camera`. `seconds`: simulated time since the epoch.
    void layOut(const ScriptContext& script, double seconds, glm::vec2 window, float dt,
                PanelRenderer& scenePanels, const PanelCamera& camera);
    // Over the finished picture; the window's pixels are its coordinates.
    void draw(glm::vec2 window, unsigned fontTexture);

    // The desktop shows this panel pinned to the window instead of in the scene.
    static bool pinned(const ScriptContext& script, const InfoPanelEntry& entry);

    bool helpShown() const { return help_; }
    bool subtitlesShown() const { return subtitles_; }
    bool searchOpen() const { return searchOpen_; }
    std::string_view query() const { return std::string_view(query_, queryLength_); }
    const std::vector<const Satellite*>& matches() const { return matches_; }

private:
    void search(FrameInput& input, ScriptContext& script);
    // The line of the narration being spoken, empty when none is.
    std::string_view subtitle(const ScriptContext& script);

    const std::vector<Satellite>& catalogue_;
    PanelRenderer panels_;
    bool help_ = false;
    bool subtitles_ = true;
    bool looking_ = false;  // the continue control held in free exploration
    bool searchOpen_ = false;
    char query_[48] = {};
    std::size_t queryLength_ = 0;
    std::size_t highlighted_ = 0;
    std::vector<const Satellite*> matches_;
    int narrationId_ = 0;  // whose text `lines_` holds
    std::vector<NarrationLine> lines_;
};

}  // namespace earth
