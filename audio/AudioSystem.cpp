#include "audio/AudioSystem.h"

#include "audio/AudioTrack.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>

#include <algorithm>
#include <chrono>

namespace earth {

namespace {
// Refill period of the worker. Each track queues about a second of sound (AudioTrack), so
// even a worker held up for several periods on a loaded machine leaves no gap.
constexpr std::chrono::milliseconds servicePeriod{20};
}  // namespace

void AudioSystem::DeviceCloser::operator()(ALCdevice* device) const { alcCloseDevice(device); }

void AudioSystem::ContextDestroyer::operator()(ALCcontext* context) const {
    if (alcGetThreadContext() == context) {
        alcSetThreadContext(nullptr);
    }
    if (alcGetCurrentContext() == context) {
        alcMakeContextCurrent(nullptr);
    }
    alcDestroyContext(context);
}

AudioSystem::AudioSystem(float volume, const char* deviceName) : volume_(volume) {
    device_.reset(alcOpenDevice(deviceName));
    if (!device_) {
        return;
    }
    // Thread-local contexts let two systems (one per script) live side by side.
    if (!alcIsExtensionPresent(device_.get(), "ALC_EXT_thread_local_context")) {
        device_.reset();
        return;
    }
    context_.reset(alcCreateContext(device_.get(), nullptr));
    if (!context_) {
        device_.reset();
        return;
    }
    worker_ = std::thread([this] { serviceLoop(); });
}

AudioSystem::~AudioSystem() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
    // Tracks are destroyed before their system (they are created after it); any still
    // attached here would be a programming error, and they keep no OpenAL name past this.
    context_.reset();
    device_.reset();
}

AudioSystem::Lock::Lock(AudioSystem& system) : lock_(system.mutex_) {
    if (system.context_) {
        contextSet_ = alcSetThreadContext(system.context_.get()) == ALC_TRUE;
    }
}

AudioSystem::Lock::~Lock() {
    if (contextSet_) {
        alcSetThreadContext(nullptr);
    }
}

// attach and detach are called with the lock held (by the track's constructor and destructor).
void AudioSystem::attach(AudioTrack* track) { tracks_.push_back(track); }

void AudioSystem::detach(AudioTrack* track) {
    tracks_.erase(std::remove(tracks_.begin(), tracks_.end(), track), tracks_.end());
}

// A track that starts playing wakes the worker; with none active it sleeps.
void AudioSystem::wakeLocked() {
    woken_ = true;
    wake_.notify_one();
}

void AudioSystem::serviceLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    alcSetThreadContext(context_.get());
    while (!quit_) {
        const bool active = std::any_of(tracks_.begin(), tracks_.end(),
                                        [](const AudioTrack* track) { return track->activeLocked(); });
        if (active) {
            wake_.wait_for(lock, servicePeriod, [this] { return quit_; });
        } else {
            wake_.wait(lock, [this] { return quit_ || woken_; });
        }
        woken_ = false;
        if (quit_) {
            break;
        }
        for (AudioTrack* track : tracks_) {
            track->refillLocked();
        }
    }
    alcSetThreadContext(nullptr);
}

void AudioSystem::setMuted(bool muted) {
    if (!available()) return;
    const Lock lock(*this);
    alListenerf(AL_GAIN, muted ? 0.0f : 1.0f);
}

}  // namespace earth
