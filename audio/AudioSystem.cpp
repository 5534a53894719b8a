#include "audio/AudioSystem.h"

#include "audio/AudioError.h"
#include "audio/AudioTrack.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace earth {

namespace {
// Refill period of the worker. Each track keeps six seconds queued (AudioTrack), refilled a
// half second per pass, so the queue fills far faster than it plays.
constexpr std::chrono::milliseconds servicePeriod{20};

// Without a sound card, trying the backends makes OpenAL Soft and the ALSA library write
// about ten lines to standard error ("err.txt"), which say no more than the one line that
// reportNoDevice writes. Both stay quiet unless a developer asked OpenAL Soft for its log.
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void quietenSoundLibraries() {
    static const bool developerAsked = std::getenv("ALSOFT_LOGLEVEL") != nullptr;
    if (developerAsked) {
        return;
    }
    setenv("ALSOFT_LOGLEVEL", "0", 1);  // read when the library first initialises
    // OpenAL Soft links the ALSA library but leaves its error printer as it is.
    using SetHandler = int (*)(decltype(&ignoreAlsaError));
    if (void* set = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")) {
        reinterpret_cast<SetHandler>(set)(ignoreAlsaError);
    }
}

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
    quietenSoundLibraries();
    device_.reset(alcOpenDevice(deviceName));
    // Thread-local contexts let two systems (one per script) live side by side.
    if (device_ && alcIsExtensionPresent(device_.get(), "ALC_EXT_thread_local_context")) {
        context_.reset(alcCreateContext(device_.get(), nullptr));
    }
    if (!context_) {
        device_.reset();
        reportNoDevice();  // once; the tracks then play nothing and say nothing
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
