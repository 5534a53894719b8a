#pragma once
// One embedded Ogg Vorbis track ("OGG" resource) played through an AudioSystem. The track is
// streamed from the embedded bytes: opening it costs only its headers (decoding all twenty
// tracks at start-up would cost about a second). Playing starts with half a second decoded;
// the system's worker then keeps six seconds queued ahead of the mixer, so that a machine
// stalled for seconds (the worker or the mixer starved, then catching up) plays on without a
// gap.

#include "audio/AlObjects.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace earth {

class AudioSystem;
class OggDecoder;

class AudioTrack final {
public:
    // A missing or undecodable resource is reported once here and again at every play. With
    // no device nothing is opened and nothing reported: the system said it once.
    // The track must be destroyed before its system (static tracks are: they are made later).
    AudioTrack(AudioSystem& audio, int resourceId);
    ~AudioTrack();
    AudioTrack(const AudioTrack&) = delete;
    AudioTrack& operator=(const AudioTrack&) = delete;

    // Plays from the start, once, at full volume (restarting if already playing).
    void play();
    // Plays from the start without end, at the system's volume.
    void playLooped();
    // Stops at once; the track then counts as finished.
    void stop();
    void setPaused(bool paused);

    bool isPlaying() const;
    bool isPaused() const;
    // Position within the track (wrapping while looping); 0 before the first play.
    std::int64_t positionMs() const;
    // Length of the track; 0 if it could not be opened.
    std::int64_t lengthMs() const;
    // True once playback ended, was stopped, or never started (so also with no device, and the
    // tour goes on without the sound); never true while looping.
    bool isFinished() const;

    // Whether the track was opened and has OpenAL names (false with no device).
    bool loaded() const { return source_ ? true : false; }

private:
    friend class AudioSystem;
    static constexpr int bufferCount = 24;  // of a quarter of a second each
    static constexpr int startBuffers = 2;   // decoded by play itself, on the caller's thread
    static constexpr int refillBuffers = 2;  // at most per worker pass, so the lock is short

    void begin(bool looped);
    long fillLocked(ALuint buffer);
    // Fills and queues up to `count` idle buffers, fewer once the track has no more.
    void queueLocked(int count);
    void refillLocked();
    bool finishedLocked() const;
    // Whether the worker has anything to do for this track (playing or paused).
    bool activeLocked() const { return source_ && started_ && !finishedLocked(); }
    ALint sourceStateLocked() const;

    AudioSystem* audio_;
    std::unique_ptr<OggDecoder> decoder_;
    // Why the track has no sound, repeated at every play: decoder or OpenAL code and text.
    int failureCode_ = 0;
    const char* failureText_ = "";
    ALenum format_ = 0;
    AlSource source_;
    std::array<AlBuffer, bufferCount> buffers_;
    std::vector<ALuint> idle_;  // buffers off the source's queue, ready to be filled
    std::vector<std::int16_t> scratch_;  // one buffer's worth of samples, allocated once

    bool started_ = false;
    bool looping_ = false;
    bool stoppedByUser_ = false;
    bool paused_ = false;
    bool reachedEnd_ = false;     // the decoder has delivered the last frame (not looping)
    std::int64_t playedFrames_ = 0;  // frames of buffers already played and taken back
    std::int64_t queuedFrames_ = 0;  // frames in the buffers on the source's queue
};

}  // namespace earth
