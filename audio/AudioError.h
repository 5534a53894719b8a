#pragma once
// The one way sound failures are reported: a line "Audio error: (code) text" on standard
// output (the program's "log.txt"). Nothing is retried and nothing is thrown; the program
// carries on without the sound.

namespace earth {

void reportAudioError(int code, const char* text);

// Reports and clears the pending OpenAL error of the current context; false if there was one.
bool checkAlError();

// Reports a decoder (libvorbisfile) result code with its meaning.
void reportDecoderError(int code);

// The text for a decoder result code.
const char* decoderErrorText(int code);

// Reported once when no sound device could be opened: the program runs without sound.
void reportNoDevice();

}  // namespace earth
