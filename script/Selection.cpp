#include "script/Selection.h"

#include "data/Catalogue.h"
#include "render/SatelliteOperations.h"

#include <stdexcept>

namespace earth {
namespace {

constexpr float kHalt = 0.5f;  // seconds to bring time to a halt and back

void setLook(ScriptContext& ctx, std::int32_t number, const glm::vec4& color, float size) {
    ctx.renderer->setColors({{number, color}});
    ctx.renderer->setSizes({{number, size}});
}

}  // namespace

void Selection::select(std::int32_t number, ScriptContext& ctx) {
    if (current == number) {
        return;
    }
    if (current >= 0) {
        deselect(ctx);
    }
    if (satelliteByNumber(*catalogue, number) == nullptr) throw std::runtime_error("Invalid satellite");
    current = number;
    ctx.panels.insert_or_assign(number, InfoPanelEntry{0, false});
    savedColor = ctx.renderer->getColor(number).value_or(glm::vec4(0.0f));
    savedSize = ctx.renderer->getSize(number).value_or(0.0f);
    setLook(ctx, number, glm::vec4(1.0f, 0.0f, 0.0f, 1.0f), savedSize * 3.0f);
}

void Selection::deselect(ScriptContext& ctx) {
    if (current < 0) {
        return;
    }
    ctx.panels.erase(current);
    setLook(ctx, current, savedColor, savedSize);
    current = -1;
}

void Selection::confirm(ScriptContext& ctx, bool nearView) {
    if (current < 0) {
        return;
    }
    // Called every frame while riding: an existing entry is changed in place, never rebuilt.
    const InfoPanelEntry entry{1, nearView};
    const auto it = ctx.panels.find(current);
    if (it == ctx.panels.end()) {
        ctx.panels.emplace(current, entry);
    } else {
        it->second = entry;
    }
}

void Selection::dropPanel(ScriptContext& ctx) {
    if (current >= 0) {
        ctx.panels.erase(current);
    }
}

void Selection::setRidden(bool ridden, ScriptContext& ctx) {
    if (current >= 0) ctx.renderer->setSizes({{current, ridden ? 0.0f : savedSize * 3.0f}});
}

void Selection::hover(std::int32_t number, ScriptContext& ctx) {
    if (number == hovered) return;
    if (hovered >= 0 && hovered != current) ctx.panels.erase(hovered);
    hovered = number;
    if (number >= 0 && number != current && satelliteByNumber(*catalogue, number) != nullptr) {
        ctx.panels.insert_or_assign(number, InfoPanelEntry{0, false});
    }
}

IScriptElement* SelectWithLookElement::start(ScriptContext& ctx) {
    phase_ = 0;
    const float rate = ctx.effectiveRate();
    slowDown_.arm(rate, 0.0f, kHalt);
    speedUp_.arm(0.0f, rate, kHalt);
    return nullptr;
}

IScriptElement* SelectWithLookElement::update(float dt, ScriptContext& ctx) {
    if (phase_ == 0) {
        slowDown_.update(dt);
        ctx.rate = slowDown_.value;
        if (slowDown_.active) {
            return nullptr;
        }
        phase_ = 1;
    }
    if (phase_ == 1) {
        const std::int32_t n =
            ctx.renderer->pickByGaze(ctx.input.gaze.origin, ctx.input.gaze.direction);
        if (n < 0) {
            selection_->deselect(ctx);
        } else {
            selection_->select(n, ctx);
        }
        if (ctx.input.isHeld(Control::Continue)) {
            return nullptr;
        }
        phase_ = 2;
    }
    if (phase_ == 2) {
        // Skip while time comes back clears the selection at once, as it would a moment later.
        if (ctx.input.wasPressed(Control::Skip)) selection_->deselect(ctx);
        selection_->confirm(ctx, false);
        speedUp_.update(dt);
        ctx.rate = speedUp_.value;
        return speedUp_.active ? nullptr : next_;
    }
    return nullptr;
}

}  // namespace earth
