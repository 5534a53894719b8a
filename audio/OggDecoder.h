#pragma once
// Ogg Vorbis decoding straight from bytes in memory (the embedded tracks), as signed 16-bit
// interleaved PCM. No file is ever written.

#include <cstdint>
#include <memory>
#include <string_view>

namespace earth {

class OggDecoder {
public:
    // Opens the stream; check error() before use. The bytes must outlive the decoder.
    explicit OggDecoder(std::string_view bytes);
    ~OggDecoder();
    OggDecoder(const OggDecoder&) = delete;
    OggDecoder& operator=(const OggDecoder&) = delete;

    // 0 when the stream opened and is usable, else a libvorbisfile code (OV_...).
    int error() const { return error_; }

    int channels() const { return channels_; }
    long sampleRate() const { return sampleRate_; }
    // Frames (samples per channel) of the whole stream, from the stream itself.
    std::int64_t totalFrames() const { return totalFrames_; }

    // Decodes up to maxFrames frames into out (room for maxFrames * channels() samples).
    // Returns the frames written, 0 at the end of the stream, or a negative OV_ code.
    long read(std::int16_t* out, long maxFrames);

    // Back to the first frame; 0 or a negative OV_ code.
    int rewind();

    struct State;  // the memory reader; visible to the library callbacks only

private:
    std::unique_ptr<State> state_;  // the library keeps a pointer to it: it must not move
    int error_ = 0;
    int channels_ = 0;
    long sampleRate_ = 0;
    std::int64_t totalFrames_ = 0;
};

// Decodes a whole stream at once; used to measure what decoding at start-up would cost.
// Returns the number of frames decoded, or a negative OV_ code.
std::int64_t decodeWhole(std::string_view bytes, std::unique_ptr<std::int16_t[]>& samples);

}  // namespace earth
