#pragma once
// A narration track as a script step: start plays it once and keeps it in charge (whoever
// waits for it asks isFinished); skip stops it; pause and resume hold and continue it.

#include "audio/AudioTrack.h"
#include "script/ScriptElement.h"

namespace earth {

class AudioSystem;

class TrackElement final : public IScriptElement {
public:
    TrackElement(AudioSystem& audio, int resourceId)
        : track_(audio, resourceId), resourceId_(resourceId) {}

    // A step that begins while the script is paused (a skip during a pause) stays silent until
    // the resume: picture and clock are frozen, so its narration must not run ahead.
    IScriptElement* start(ScriptContext& ctx) override;
    IScriptElement* onSkip(ScriptContext& ctx) override;
    void pause(ScriptContext& ctx) override;
    void resume(ScriptContext& ctx) override;
    bool isFinished() const override { return !waitingForResume_ && track_.isFinished(); }

    const AudioTrack& track() const { return track_; }
    int resourceId() const { return resourceId_; }

private:
    AudioTrack track_;
    int resourceId_;
    bool waitingForResume_ = false;
};

}  // namespace earth
