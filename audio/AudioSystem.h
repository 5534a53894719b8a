#pragma once
// The sound device and its OpenAL context, plus the one worker that keeps the playing tracks'
// buffer queues filled. OpenAL mixes on its own thread; the worker only decodes and queues.

#include <AL/alc.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace earth {

class AudioTrack;

class AudioSystem {
public:
    // Opens the default device (or the named one). Failure is reported once, as one line on
    // standard output; the program runs on without sound and the tracks play nothing.
    explicit AudioSystem(float volume, const char* deviceName = nullptr);
    ~AudioSystem();
    AudioSystem(const AudioSystem&) = delete;
    AudioSystem& operator=(const AudioSystem&) = delete;

    // Whether a device and context exist; with none, no OpenAL call is made at all.
    bool available() const { return context_ != nullptr; }
    // Given to every looped track.
    float volume() const { return volume_; }
    // Silences every track of this system, or brings them back.
    void setMuted(bool muted);

    // Holds the system's lock with its context current on the calling thread, so that the
    // worker and the main thread never interleave OpenAL calls or read each other's errors.
    class Lock {
    public:
        explicit Lock(AudioSystem& system);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        std::unique_lock<std::mutex> lock_;
        bool contextSet_ = false;
    };

private:
    friend class AudioTrack;
    void attach(AudioTrack* track);
    void detach(AudioTrack* track);
    void wakeLocked();
    void serviceLoop();

    struct DeviceCloser {
        void operator()(ALCdevice* device) const;
    };
    struct ContextDestroyer {
        void operator()(ALCcontext* context) const;
    };

    std::unique_ptr<ALCdevice, DeviceCloser> device_;
    std::unique_ptr<ALCcontext, ContextDestroyer> context_;
    float volume_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool woken_ = false;
    std::vector<AudioTrack*> tracks_;
    std::thread worker_;
};

}  // namespace earth
