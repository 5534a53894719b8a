#pragma once
// The step interface of every script and the running context the steps act upon.

#include "script/Camera.h"
#include "script/FrameInput.h"

#include <glm/vec3.hpp>

#include <cstdint>
#include <map>

namespace earth {

class SatelliteOperations;
struct ScriptContext;

// One information panel of this frame, keyed by catalogue number in the context's map; the
// scene looks the satellite up and the overlay lays out its text.
struct InfoPanelEntry {
    // 1: the full facts; 0: the name alone (a label while the selection is not confirmed).
    std::uint32_t details = 0;
    // true: beside the viewer's line of sight; false: next to the satellite.
    bool nearView = false;
};

// A step of a script. The element returned by start/update/onContinue/onSkip takes over
// from this one (null: this one stays in charge). Elements live in static storage and are
// never deleted through this interface.
class IScriptElement {
public:
    virtual IScriptElement* start(ScriptContext& ctx);
    virtual IScriptElement* update(float dt, ScriptContext& ctx);
    virtual IScriptElement* onContinue(ScriptContext& ctx);
    virtual IScriptElement* onSkip(ScriptContext& ctx);
    virtual void pause(ScriptContext& ctx);
    virtual void resume(ScriptContext& ctx);
    virtual bool isFinished() const;

protected:
    ~IScriptElement() = default;
};

// Installs `result` in `slot` and starts it, then whatever its start hands over to, until a
// start keeps its element in charge. Throws std::logic_error on a loop of elements that
// only ever hand over, which would otherwise hang the frame.
void runChain(IScriptElement*& slot, IScriptElement* result, ScriptContext& ctx);

struct ScriptContext {
    SatelliteOperations* renderer = nullptr;
    CameraFrame camera;
    IScriptElement* current = nullptr;
    float rate = 0.0f;  // simulated seconds per real second
    std::map<std::int32_t, InfoPanelEntry> panels;
    // This frame's input as the element in charge sees it. An element that takes over during
    // the frame sees none of the frame's presses, so no press leaks from one to the next.
    FrameInput input;
    bool paused = false;
    std::int32_t splash = 0;  // 0 none, 1 first splash image, 2 second
    bool desktop = false;     // a window on the desktop rather than a headset

    // Installs and starts `first` (and the chain it hands over to).
    ScriptContext(SatelliteOperations* renderer, const CameraFrame& camera, float rate,
                  std::int32_t splash, IScriptElement* first);

    // The rate the clock advances with: 0 while paused.
    float effectiveRate() const { return paused ? 0.0f : rate; }

    // One frame: the continue, skip and pause controls go to the element in charge (continue
    // and skip even while paused), then, unless paused, its update.
    void update(const FrameInput& frameInput);
    void onContinue();
    void onSkip();
    void togglePause();

private:
    void noteHandOver();

    const IScriptElement* inCharge_ = nullptr;
};

}  // namespace earth
