// The flash count's cost beside drawing the frames it counts: frames of the
// show drawn offscreen by orvel-capture's player, at 640x480 and at
// 1024x768, then counted by flash-count's counter. The frames are those of
// segment 4's waves at 30 frames a second, drawn once and kept.
//
//   cd build && bench/flash_bench

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "shell/frame_schedule.h"
#include "shell/schedule.h"
#include "shell/timing.h"
#include "tools/player/show_player.h"
#include "tools/flash/flash_counter.h"

namespace {

constexpr int kFrames = 60;

struct Sized {
    std::unique_ptr<ShowPlayer> player;
    std::vector<std::vector<unsigned char>> frames;
    long next = 0;
};

FrameSchedule waves() {
    return FrameSchedule(builtInTiming(), kFrameGridFps, schedule::kSegment4StyleMoments[2], -1.0);
}

Sized& sized(int width, int height) {
    static std::vector<std::pair<int, std::unique_ptr<Sized>>> made;
    for (auto& [w, s] : made)
        if (w == width) return *s;
    auto s = std::make_unique<Sized>();
    s->player = std::make_unique<ShowPlayer>(width, height);
    s->player->start();
    const FrameSchedule schedule = waves();
    s->next = s->player->playUntilPictures(schedule);
    for (int i = 0; i < kFrames; ++i) {
        s->player->drawFrame(schedule.time(s->next++));
        const unsigned char* p = s->player->pixels();
        s->frames.emplace_back(p, p + size_t(width) * size_t(height) * 4);
    }
    made.emplace_back(width, std::move(s));
    return *made.back().second;
}

void drawFrames(benchmark::State& state) {
    Sized& s = sized(int(state.range(0)), int(state.range(1)));
    const FrameSchedule schedule = waves();
    for (auto _ : state) {
        s.player->drawFrame(schedule.time(s.next++));
        benchmark::DoNotOptimize(s.player->pixels());
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void countFrames(benchmark::State& state) {
    Sized& s = sized(int(state.range(0)), int(state.range(1)));
    FlashCounter counter(int(state.range(0)), int(state.range(1)), kFrameGridFps);
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(counter.addFrame(s.frames[i++ % s.frames.size()].data()));
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// OSMesa draws on threads of its own: both are timed by the clock on the wall.
BENCHMARK(drawFrames)->Args({640, 480})->Args({1024, 768})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(countFrames)->Args({640, 480})->Args({1024, 768})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (::chdir(SHOW_DATA_DIR) != 0) {
        std::fprintf(stderr, "flash_bench: no generated show content in %s\n", SHOW_DATA_DIR);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
