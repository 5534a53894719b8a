#include "audio/AudioTrack.h"

#include "audio/AudioError.h"
#include "audio/AudioSystem.h"
#include "audio/OggDecoder.h"
#include "data/ResourceRegistry.h"

#include <algorithm>
#include <string>

namespace earth {

namespace {
// A quarter of a second per buffer, decoded in slices of about a millisecond each.
constexpr long bufferMillis = 250;
}  // namespace

AudioTrack::AudioTrack(AudioSystem& audio, int resourceId) : audio_(&audio) {
    AudioSystem::Lock lock(audio);
    audio.attach(this);
    if (!audio.available()) {
        return;  // nothing to open a sound on; every play says so
    }
    // A missing resource reaches the decoder as empty data and is reported as its failure.
    const auto bytes = findResource("OGG", std::to_string(resourceId)).value_or(std::string_view{});
    auto decoder = std::make_unique<OggDecoder>(bytes);
    if (decoder->error() != 0) {
        failureCode_ = decoder->error();
        failureText_ = decoderErrorText(failureCode_);
        reportAudioError(failureCode_, failureText_);
        return;
    }
    AlSource source = AlSource::create();
    std::array<AlBuffer, bufferCount> buffers;
    for (AlBuffer& buffer : buffers) {
        buffer = AlBuffer::create();
    }
    const ALenum error = alGetError();
    if (error != AL_NO_ERROR) {
        failureCode_ = error;
        const ALchar* text = alGetString(error);
        failureText_ = text != nullptr ? text : "unknown OpenAL error";
        reportAudioError(failureCode_, failureText_);
        return;
    }
    format_ = decoder->channels() == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
    const long frames = decoder->sampleRate() * bufferMillis / 1000;
    scratch_.resize(static_cast<std::size_t>(frames * decoder->channels()));
    idle_.reserve(bufferCount);  // the worker moves names in and out without allocating
    decoder_ = std::move(decoder);
    source_ = std::move(source);
    buffers_ = std::move(buffers);
}

AudioTrack::~AudioTrack() {
    AudioSystem::Lock lock(*audio_);
    audio_->detach(this);
    if (!source_) {
        return;  // never had OpenAL names (no device, or the track could not be opened)
    }
    alSourceStop(source_.get());
    alSourcei(source_.get(), AL_BUFFER, 0);
    // The names go while the system's context is current on this thread.
    source_ = AlSource{};
    for (AlBuffer& buffer : buffers_) {
        buffer = AlBuffer{};
    }
    checkAlError();
}

void AudioTrack::play() { begin(false); }

void AudioTrack::playLooped() { begin(true); }

void AudioTrack::begin(bool looped) {
    AudioSystem::Lock lock(*audio_);
    if (!audio_->available()) {
        return;  // said once when the system found no device
    }
    if (!source_) {
        reportAudioError(failureCode_, failureText_);
        return;
    }
    const ALuint source = source_.get();
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);  // takes every buffer back off the queue
    const int rewound = decoder_->rewind();
    if (rewound != 0) {
        reportDecoderError(rewound);
        return;
    }
    started_ = true;
    looping_ = looped;
    stoppedByUser_ = false;
    paused_ = false;
    reachedEnd_ = false;
    playedFrames_ = 0;
    queuedFrames_ = 0;
    idle_.clear();
    for (const AlBuffer& buffer : buffers_) {
        idle_.push_back(buffer.get());
    }
    queueLocked(startBuffers);  // the worker, woken below, queues the rest
    alSourcef(source, AL_GAIN, looped ? audio_->volume() : 1.0f);
    alSourcePlay(source);
    checkAlError();
    audio_->wakeLocked();
}

// Decodes the next slice into the buffer; returns its frames, 0 if nothing was left (or the
// upload failed, which is reported).
long AudioTrack::fillLocked(ALuint buffer) {
    const int channels = decoder_->channels();
    const long capacity = static_cast<long>(scratch_.size()) / channels;
    long filled = 0;
    bool rewoundEmpty = false;
    while (filled < capacity && !reachedEnd_) {
        const long got = decoder_->read(scratch_.data() + filled * channels, capacity - filled);
        if (got < 0) {
            reportDecoderError(static_cast<int>(got));
            reachedEnd_ = true;  // the rest of the track is lost; end it where it broke
            break;
        }
        if (got > 0) {
            filled += got;
            rewoundEmpty = false;
            continue;
        }
        if (!looping_ || rewoundEmpty) {
            reachedEnd_ = true;  // an empty stream must not loop for ever
            break;
        }
        const int rewound = decoder_->rewind();
        if (rewound != 0) {
            reportDecoderError(rewound);
            reachedEnd_ = true;
            break;
        }
        rewoundEmpty = true;
    }
    if (filled == 0) {
        return 0;
    }
    alBufferData(buffer, format_, scratch_.data(),
                 static_cast<ALsizei>(filled * channels * sizeof(std::int16_t)),
                 static_cast<ALsizei>(decoder_->sampleRate()));
    return checkAlError() ? filled : 0;
}

void AudioTrack::queueLocked(int count) {
    const ALuint source = source_.get();
    for (; count > 0 && !idle_.empty() && !reachedEnd_; --count) {
        const ALuint buffer = idle_.back();
        const long frames = fillLocked(buffer);
        if (frames == 0) {
            return;
        }
        idle_.pop_back();
        alSourceQueueBuffers(source, 1, &buffer);
        queuedFrames_ += frames;
    }
}

void AudioTrack::refillLocked() {
    if (!source_ || !started_ || stoppedByUser_) {
        return;
    }
    const ALuint source = source_.get();
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    const std::int64_t total = decoder_->totalFrames();
    const ALint frameBytes = decoder_->channels() * static_cast<ALint>(sizeof(std::int16_t));
    while (processed-- > 0) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source, 1, &buffer);
        ALint size = 0;
        alGetBufferi(buffer, AL_SIZE, &size);
        playedFrames_ += size / frameBytes;
        queuedFrames_ -= size / frameBytes;
        if (looping_ && total > 0) {
            playedFrames_ %= total;
        }
        idle_.push_back(buffer);
    }
    queueLocked(refillBuffers);
    // A worker held up past the queued second lets the source run dry and stop; pick up
    // where it stopped rather than ending the track early.
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    if (queued > 0 && !paused_ && sourceStateLocked() == AL_STOPPED) {
        alSourcePlay(source);
    }
    checkAlError();
}

ALint AudioTrack::sourceStateLocked() const {
    ALint state = AL_INITIAL;
    alGetSourcei(source_.get(), AL_SOURCE_STATE, &state);
    return state;
}

void AudioTrack::stop() {
    AudioSystem::Lock lock(*audio_);
    if (!source_ || !started_) {
        return;
    }
    alSourceStop(source_.get());
    stoppedByUser_ = true;
    checkAlError();
}

void AudioTrack::setPaused(bool paused) {
    AudioSystem::Lock lock(*audio_);
    if (!source_ || !started_ || stoppedByUser_) {
        return;
    }
    paused_ = paused;
    // A source that ran dry is restarted by the worker once it is no longer paused.
    const ALint state = sourceStateLocked();
    if (paused && state == AL_PLAYING) {
        alSourcePause(source_.get());
    } else if (!paused && state == AL_PAUSED) {
        alSourcePlay(source_.get());  // continues from where it was paused
    }
    checkAlError();
}

bool AudioTrack::isPlaying() const {
    AudioSystem::Lock lock(*audio_);
    if (!source_ || !started_ || stoppedByUser_) {
        return false;
    }
    const ALint state = sourceStateLocked();
    // A source that ran dry before the end still counts as playing: the worker restarts it.
    return !paused_ && (state == AL_PLAYING || (state == AL_STOPPED && !reachedEnd_));
}

bool AudioTrack::isPaused() const {
    AudioSystem::Lock lock(*audio_);
    if (!source_ || !started_ || stoppedByUser_ || !paused_) {
        return false;
    }
    return !(reachedEnd_ && sourceStateLocked() == AL_STOPPED);
}

std::int64_t AudioTrack::positionMs() const {
    AudioSystem::Lock lock(*audio_);
    if (!source_ || !started_) {
        return 0;
    }
    const std::int64_t total = decoder_->totalFrames();
    const ALint state = sourceStateLocked();
    std::int64_t frames = playedFrames_;
    if (state == AL_STOPPED && !stoppedByUser_) {
        // Every queued buffer has played: at the end, or where the queue ran dry.
        frames += queuedFrames_;
    } else if (state == AL_PLAYING || state == AL_PAUSED) {
        ALint offset = 0;
        alGetSourcei(source_.get(), AL_SAMPLE_OFFSET, &offset);
        frames += offset;
    }
    frames = looping_ && total > 0 ? frames % total : std::min(frames, total);
    checkAlError();
    return frames * 1000 / decoder_->sampleRate();
}

std::int64_t AudioTrack::lengthMs() const {
    if (!decoder_) {
        return 0;
    }
    return decoder_->totalFrames() * 1000 / decoder_->sampleRate();
}

bool AudioTrack::isFinished() const {
    AudioSystem::Lock lock(*audio_);
    return finishedLocked();
}

bool AudioTrack::finishedLocked() const {
    if (!source_ || !started_ || stoppedByUser_) {
        return true;
    }
    // A stopped source has played every queued buffer; it is the end only once the decoder
    // has nothing left (otherwise it ran dry and the worker restarts it).
    return reachedEnd_ && sourceStateLocked() == AL_STOPPED;
}

}  // namespace earth
