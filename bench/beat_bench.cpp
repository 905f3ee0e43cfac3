// The analysis of a track's beats beside decoding it: a 3-minute MP3, made
// once from the show's music played one and a half times over, decoded with
// SDL2_mixer as show-schedule --fit decodes it, then its beats found, and
// the onset envelope, which that includes, alone.
//
//   cd build && bench/beat_bench

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "rhythm/beat_tracker.h"
#include "shell/schedule.h"
#include "tools/demodata/mp3_encoder.h"
#include "tools/music_file/decoded_music.h"

namespace {

constexpr double kTrackSeconds = 180.0;

// The track's file, removed at the end, and its decoded samples, made at
// the first use.
struct Track {
    std::string path;
    DecodedMusic decoded;
    Track() = default;
    Track(const Track&) = delete;
    Track& operator=(const Track&) = delete;
    ~Track() {
        if (!path.empty()) std::remove(path.c_str());
    }
};

const Track& track() {
    static const std::unique_ptr<const Track> made = [] {
        const DecodedMusic show = decodeMusicFile(std::string(SHOW_DATA_DIR) + "/" + schedule::kMusicFile);
        if (!show.ok) throw std::runtime_error("the show's music: " + show.error);
        std::vector<float> samples;
        while (samples.size() < std::size_t(kTrackSeconds * show.sampleRate))
            samples.push_back(show.samples[samples.size() % show.samples.size()]);
        const std::vector<uint8_t> mp3 = encodeMp3(samples, samples, 192);
        auto t = std::make_unique<Track>();
        t->path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/orvel-beat-bench.mp3";
        std::ofstream(t->path, std::ios::binary).write(reinterpret_cast<const char*>(mp3.data()), long(mp3.size()));
        t->decoded = decodeMusicFile(t->path);
        if (!t->decoded.ok) throw std::runtime_error("the 3-minute track: " + t->decoded.error);
        return t;
    }();
    return *made;
}

void decodeTrack(benchmark::State& state) {
    const Track& t = track();
    for (auto _ : state) benchmark::DoNotOptimize(decodeMusicFile(t.path).samples.data());
}

void findTrackBeats(benchmark::State& state) {
    const DecodedMusic& music = track().decoded;
    for (auto _ : state)
        benchmark::DoNotOptimize(findBeats(music.samples.data(), music.samples.size(), music.sampleRate).beats.data());
}

// The onset envelope alone, the part of the analysis that reads every sample.
void findTrackOnsets(benchmark::State& state) {
    const DecodedMusic& music = track().decoded;
    for (auto _ : state) {
        const OnsetEnvelope envelope = onsetEnvelope(music.samples.data(), music.samples.size(), music.sampleRate);
        benchmark::DoNotOptimize(envelope.values.data());
    }
}

}  // namespace

BENCHMARK(decodeTrack)->Unit(benchmark::kMillisecond);
BENCHMARK(findTrackBeats)->Unit(benchmark::kMillisecond);
BENCHMARK(findTrackOnsets)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
