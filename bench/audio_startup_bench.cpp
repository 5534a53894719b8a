// What the twenty embedded tracks cost at start-up: opening them for streaming (what
// AudioTrack does) against decoding each one whole into an OpenAL buffer once.
// Run with ALSOFT_DRIVERS=null on a machine without sound hardware.

#include "audio/AudioSystem.h"
#include "audio/AudioTrack.h"
#include "audio/OggDecoder.h"
#include "data/ResourceRegistry.h"

#include <AL/al.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const int trackIds[] = {101, 103, 106, 116, 121, 126, 146, 151, 156, 161,
                        171, 181, 186, 196, 206, 216, 226, 251, 261, 266};

int embeddedTracks() {
    int count = 0;
    for (int id : trackIds) {
        count += earth::findResource("OGG", std::to_string(id)) ? 1 : 0;
    }
    return count;
}

void BM_AudioSystemOpen(benchmark::State& state) {
    for (auto _ : state) {
        earth::AudioSystem audio(1.0f);
        benchmark::DoNotOptimize(audio.available());
    }
}
BENCHMARK(BM_AudioSystemOpen)->Unit(benchmark::kMillisecond);

// The chosen way: each track opens its stream (headers only) and makes its source and buffers.
void BM_AllTracksStreamed(benchmark::State& state) {
    if (embeddedTracks() == 0) {
        state.SkipWithError("no OGG tracks embedded in this build");
        return;
    }
    earth::AudioSystem audio(1.0f);
    for (auto _ : state) {
        std::vector<std::unique_ptr<earth::AudioTrack>> tracks;
        for (int id : trackIds) {
            tracks.push_back(std::make_unique<earth::AudioTrack>(audio, id));
        }
        benchmark::DoNotOptimize(tracks.data());
    }
    state.counters["tracks"] = embeddedTracks();
}
BENCHMARK(BM_AllTracksStreamed)->Unit(benchmark::kMillisecond);

// The alternative: decode each track whole at start-up and upload it to one buffer.
void BM_AllTracksDecodedOnce(benchmark::State& state) {
    if (embeddedTracks() == 0) {
        state.SkipWithError("no OGG tracks embedded in this build");
        return;
    }
    earth::AudioSystem audio(1.0f);
    if (!audio.available()) {
        state.SkipWithError("no OpenAL device");
        return;
    }
    double pcmBytes = 0;
    for (auto _ : state) {
        earth::AudioSystem::Lock lock(audio);
        std::vector<ALuint> buffers;
        pcmBytes = 0;
        for (int id : trackIds) {
            const auto bytes = earth::findResource("OGG", std::to_string(id));
            if (!bytes) {
                continue;
            }
            earth::OggDecoder header(*bytes);
            std::unique_ptr<std::int16_t[]> samples;
            const std::int64_t frames = earth::decodeWhole(*bytes, samples);
            if (frames <= 0) {
                continue;
            }
            const auto size = static_cast<ALsizei>(frames * header.channels() * 2);
            ALuint buffer = 0;
            alGenBuffers(1, &buffer);
            alBufferData(buffer, header.channels() == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16,
                         samples.get(), size, static_cast<ALsizei>(header.sampleRate()));
            buffers.push_back(buffer);
            pcmBytes += size;
        }
        alDeleteBuffers(static_cast<ALsizei>(buffers.size()), buffers.data());
    }
    state.counters["pcm_MiB"] = pcmBytes / (1024.0 * 1024.0);
}
BENCHMARK(BM_AllTracksDecodedOnce)->Unit(benchmark::kMillisecond);

}  // namespace
