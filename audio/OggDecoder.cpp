#include "audio/OggDecoder.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace earth {

struct OggDecoder::State {
    std::string_view bytes;
    std::size_t position = 0;
    OggVorbis_File file{};
    bool open = false;
};

namespace {

std::size_t readMemory(void* out, std::size_t size, std::size_t count, void* source) {
    auto* state = static_cast<OggDecoder::State*>(source);
    if (size == 0) {
        return 0;
    }
    const std::size_t left = state->bytes.size() - state->position;
    const std::size_t items = std::min(count, left / size);
    if (items == 0) {
        return 0;  // also keeps an empty resource's null data pointer away from memcpy
    }
    std::memcpy(out, state->bytes.data() + state->position, items * size);
    state->position += items * size;
    return items;
}

int seekMemory(void* source, ogg_int64_t offset, int whence) {
    auto* state = static_cast<OggDecoder::State*>(source);
    ogg_int64_t base = 0;
    switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<ogg_int64_t>(state->position); break;
    case SEEK_END: base = static_cast<ogg_int64_t>(state->bytes.size()); break;
    default: return -1;
    }
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(state->bytes.size())) {
        return -1;
    }
    state->position = static_cast<std::size_t>(target);
    return 0;
}

long tellMemory(void* source) {
    return static_cast<long>(static_cast<OggDecoder::State*>(source)->position);
}

// No close callback: the bytes belong to the executable.
const ov_callbacks memoryCallbacks = {readMemory, seekMemory, nullptr, tellMemory};

}  // namespace

OggDecoder::OggDecoder(std::string_view bytes) : state_(std::make_unique<State>()) {
    state_->bytes = bytes;
    error_ = ov_open_callbacks(state_.get(), &state_->file, nullptr, 0, memoryCallbacks);
    if (error_ != 0) {
        return;
    }
    state_->open = true;
    const vorbis_info* info = ov_info(&state_->file, -1);
    if (info == nullptr || (info->channels != 1 && info->channels != 2)) {
        // OpenAL's core formats are mono and stereo; the tracks are one or the other.
        error_ = OV_EIMPL;
        return;
    }
    channels_ = info->channels;
    sampleRate_ = info->rate;
    const ogg_int64_t total = ov_pcm_total(&state_->file, -1);
    if (total < 0) {
        error_ = static_cast<int>(total);
        return;
    }
    totalFrames_ = total;
}

OggDecoder::~OggDecoder() {
    if (state_ && state_->open) {
        ov_clear(&state_->file);
    }
}

long OggDecoder::read(std::int16_t* out, long maxFrames) {
    if (error_ != 0) {
        return error_;
    }
    const long frameBytes = 2L * channels_;
    long done = 0;
    while (done < maxFrames) {
        int section = 0;
        const long want = (maxFrames - done) * frameBytes;
        const long got = ov_read(&state_->file, reinterpret_cast<char*>(out + done * channels_),
                                 static_cast<int>(std::min<long>(want, 1 << 20)), 0, 2, 1,
                                 &section);
        if (got == OV_HOLE) {
            continue;  // a gap in the data; decoding goes on after it
        }
        if (got < 0) {
            return got;
        }
        if (got == 0) {
            break;
        }
        done += got / frameBytes;
    }
    return done;
}

int OggDecoder::rewind() {
    if (error_ != 0) {
        return error_;
    }
    return ov_pcm_seek(&state_->file, 0);
}

std::int64_t decodeWhole(std::string_view bytes, std::unique_ptr<std::int16_t[]>& samples) {
    OggDecoder decoder(bytes);
    if (decoder.error() != 0) {
        return decoder.error();
    }
    const std::int64_t frames = decoder.totalFrames();
    samples = std::make_unique<std::int16_t[]>(static_cast<std::size_t>(frames) *
                                                static_cast<std::size_t>(decoder.channels()));
    std::int64_t done = 0;
    while (done < frames) {
        const long chunk = static_cast<long>(std::min<std::int64_t>(frames - done, 1 << 16));
        const long got = decoder.read(samples.get() + done * decoder.channels(), chunk);
        if (got < 0) {
            return got;
        }
        if (got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

}  // namespace earth
