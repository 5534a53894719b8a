#include "audio/AudioError.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <vorbis/codec.h>

#include <cstdio>
#include <string>

namespace earth {

void reportAudioError(int code, const char* text) {
    std::printf("Audio error: (%d) %s\n", code, text);
    // The log is a redirected file; a crash later must not swallow the line.
    std::fflush(stdout);
}

bool checkAlError() {
    const ALenum error = alGetError();
    if (error == AL_NO_ERROR) {
        return true;
    }
    const ALchar* text = alGetString(error);
    reportAudioError(error, text != nullptr ? text : "unknown OpenAL error");
    return false;
}

const char* decoderErrorText(int code) {
    // libvorbisfile has no text of its own for its codes; these follow its documentation.
    switch (code) {
    case OV_FALSE: return "no data available";
    case OV_EOF: return "end of stream";
    case OV_HOLE: return "interruption in the data";
    case OV_EREAD: return "read error from the data source";
    case OV_EFAULT: return "internal decoder fault";
    case OV_EIMPL: return "feature not implemented";
    case OV_EINVAL: return "invalid argument";
    case OV_ENOTVORBIS: return "not Vorbis data";
    case OV_EBADHEADER: return "invalid Vorbis bitstream header";
    case OV_EVERSION: return "Vorbis version mismatch";
    case OV_ENOTAUDIO: return "packet is not audio";
    case OV_EBADPACKET: return "invalid packet";
    case OV_EBADLINK: return "corrupt link in the bitstream";
    case OV_ENOSEEK: return "bitstream is not seekable";
    default: return "unknown decoder error";
    }
}

void reportDecoderError(int code) { reportAudioError(code, decoderErrorText(code)); }

void reportNoDevice() {
    // The same code and text OpenAL gives for a call on a device that does not exist.
    const ALCchar* text = alcGetString(nullptr, ALC_INVALID_DEVICE);
    const std::string line = std::string(text != nullptr ? text : "Invalid Device") +
                             "; running without sound";
    reportAudioError(ALC_INVALID_DEVICE, line.c_str());
}

}  // namespace earth
