#include "script/TrackElement.h"

namespace earth {

IScriptElement* TrackElement::start(ScriptContext& ctx) {
    if (ctx.paused) {
        waitingForResume_ = true;
    } else {
        track_.play();
    }
    return nullptr;
}

IScriptElement* TrackElement::onSkip(ScriptContext&) {
    waitingForResume_ = false;
    track_.stop();
    return nullptr;
}

void TrackElement::pause(ScriptContext&) { track_.setPaused(true); }

void TrackElement::resume(ScriptContext&) {
    if (waitingForResume_) {
        waitingForResume_ = false;
        track_.play();
    } else {
        track_.setPaused(false);
    }
}

}  // namespace earth
