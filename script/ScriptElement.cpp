#include "script/ScriptElement.h"

#include <stdexcept>

namespace earth {

IScriptElement* IScriptElement::start(ScriptContext&) { return nullptr; }
IScriptElement* IScriptElement::update(float, ScriptContext&) { return nullptr; }
IScriptElement* IScriptElement::onContinue(ScriptContext&) { return nullptr; }
IScriptElement* IScriptElement::onSkip(ScriptContext&) { return nullptr; }
void IScriptElement::pause(ScriptContext&) {}
void IScriptElement::resume(ScriptContext&) {}
bool IScriptElement::isFinished() const { return false; }

void runChain(IScriptElement*& slot, IScriptElement* result, ScriptContext& ctx) {
    // Far more hand-overs than any script makes within one call; only a cycle gets here.
    constexpr int kMaxHandOvers = 100000;
    for (int i = 0; result != nullptr; ++i) {
        if (i == kMaxHandOvers) {
            throw std::logic_error("Script elements hand over in a loop without stopping");
        }
        slot = result;
        result = slot->start(ctx);
    }
}

ScriptContext::ScriptContext(SatelliteOperations* renderer_, const CameraFrame& camera_,
                             float rate_, std::int32_t splash_, IScriptElement* first)
    : renderer(renderer_), camera(camera_), rate(rate_), splash(splash_) {
    runChain(current, first, *this);
}

void ScriptContext::noteHandOver() {
    if (current != inCharge_) {
        // Presses of this frame belonged to the element that handed over: one press must not
        // act twice. What is held stays visible, so a hold that started a step can go on.
        inCharge_ = current;
        input.pressed.reset();
        input.anyPressed = false;
    }
}

void ScriptContext::update(const FrameInput& frameInput) {
    input = frameInput;
    inCharge_ = current;
    if (input.wasPressed(Control::Continue)) {
        onContinue();
        noteHandOver();
    }
    if (input.wasPressed(Control::Skip)) {
        onSkip();
        noteHandOver();
    }
    if (input.wasPressed(Control::Pause)) togglePause();
    if (paused || current == nullptr) return;
    runChain(current, current->update(input.dt, *this), *this);
}

void ScriptContext::onContinue() {
    if (current != nullptr) {
        runChain(current, current->onContinue(*this), *this);
    }
}

void ScriptContext::onSkip() {
    if (current != nullptr) {
        runChain(current, current->onSkip(*this), *this);
    }
}

void ScriptContext::togglePause() {
    if (current != nullptr) {
        if (paused) {
            current->resume(*this);
        } else {
            current->pause(*this);
        }
    }
    paused = !paused;
}

}  // namespace earth
