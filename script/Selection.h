#pragma once
// Picking a satellite by looking at it: the one selection of the run and the element that
// highlights what the viewer looks at while the continue control is held.

#include "data/Satellite.h"
#include "script/ScriptElement.h"
#include "script/Tween.h"

#include <glm/vec4.hpp>

#include <cstdint>
#include <vector>

namespace earth {

class Selection {
public:
    explicit Selection(const std::vector<Satellite>* catalogue) : catalogue(catalogue) {}

    // Highlights the satellite (red, three times its size) with a name label, giving the
    // previous one back its colour and size. Selecting the current number changes nothing.
    // Throws "Invalid satellite" for a number the catalogue lacks.
    void select(std::int32_t number, ScriptContext& ctx);
    // Restores the selected satellite's colour and size and removes its panel.
    void deselect(ScriptContext& ctx);
    // Replaces the label by the full panel, beside the view or next to the satellite.
    void confirm(ScriptContext& ctx, bool nearView);
    // Removes the panel but keeps the selection.
    void dropPanel(ScriptContext& ctx);
    // Riding: the selection's own tube would wrap the camera (its radius exceeds the near
    // plane low over the globe), so it is hidden, and shown highlighted again afterwards.
    void setRidden(bool ridden, ScriptContext& ctx);
    // A name label on the satellite under the pointer (-1: none), unless it is the selection.
    void hover(std::int32_t number, ScriptContext& ctx);

    const std::vector<Satellite>* catalogue;
    std::int32_t current = -1;
    std::int32_t hovered = -1;
    glm::vec4 savedColor{0.0f};
    float savedSize = 0.0f;
};

// Halts time over half a second, then selects what the viewer looks at while the continue
// control is held, confirms on release and restores the rate over half a second.
class SelectWithLookElement : public IScriptElement {
public:
    SelectWithLookElement(Selection* selection, IScriptElement* next)
        : selection_(selection), next_(next) {}

    IScriptElement* start(ScriptContext& ctx) override;
    IScriptElement* update(float dt, ScriptContext& ctx) override;

    int phase() const { return phase_; }

private:
    Selection* selection_;
    IScriptElement* next_;
    Tween slowDown_;
    Tween speedUp_;
    int phase_ = 0;
};

}  // namespace earth
