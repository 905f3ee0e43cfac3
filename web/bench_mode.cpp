#include "web/bench_mode.h"

#include <emscripten/emscripten.h>

#include <cstdio>

#include "shell/schedule.h"
#include "shell/timeline.h"
#include "web/page_bridge.h"

namespace {

// The frames a step draws before it lets the page breathe.
constexpr double kStepMilliseconds = 40.0;

}  // namespace

BenchMode::BenchMode(WebShow& show, int fps)
    : show_(show),
      schedule_(show.timing(), fps, 0.0, -1.0),
      frames_(kSegmentCount + 1, 0),
      milliseconds_(kSegmentCount + 1, 0.0) {}

void BenchMode::scenesReady() {
    if (started_) return;
    started_ = true;
    emscripten_async_call(step, this, 0);
}

std::string BenchMode::report() const {
    std::string report;
    char line[128];
    long allFrames = 0;
    double allMilliseconds = 0.0;
    for (int s = 1; s <= kSegmentCount; ++s) {
        const long n = frames_[std::size_t(s)];
        const double ms = milliseconds_[std::size_t(s)];
        allFrames += n;
        allMilliseconds += ms;
        std::snprintf(line, sizeof line, "segment %2d: %5ld frames, %7.1f frames per second\n", s, n,
                      ms > 0.0 ? 1000.0 * double(n) / ms : 0.0);
        report += line;
    }
    std::snprintf(line, sizeof line, "all:        %5ld frames, %7.1f frames per second\n", allFrames,
                  allMilliseconds > 0.0 ? 1000.0 * double(allFrames) / allMilliseconds : 0.0);
    report += line;
    return report;
}

void BenchMode::step(void* self) {
    BenchMode& bench = *static_cast<BenchMode*>(self);
    const double begin = emscripten_get_now();
    const FrameSchedule& schedule = bench.schedule_;
    while (bench.next_ < schedule.endFrame()) {
        const float t = schedule.time(bench.next_++);
        const double before = emscripten_get_now();
        if (bench.show_.drawFrameAt(t) == FrameResult::Ended) break;
        const std::size_t segment = std::size_t(findSegment(bench.show_.timing(), t));
        bench.frames_[segment] += 1;
        bench.milliseconds_[segment] += emscripten_get_now() - before;
        if (emscripten_get_now() - begin > kStepMilliseconds && bench.next_ < schedule.endFrame()) {
            emscripten_async_call(step, self, 0);
            return;
        }
    }
    bench.show_.reportWebGlError("while benchmarking");
    const std::string text = bench.report();
    std::printf("%s", text.c_str());
    page::benchDone(text);
}
