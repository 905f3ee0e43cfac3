#include "shell/frame_schedule.h"

#include <cmath>

#include "shell/timeline.h"

namespace {

// A bound given in seconds (50.2 at 10 fps) lands on a frame up to the
// rounding of its decimal digits: within a millionth of a frame counts as on it.
constexpr double kFrameSlack = 1e-6;

// The first frame whose time the show no longer draws.
long firstEndedFrame(const Timing& timing, int fps) {
    long k = long(std::floor(timing.end() * fps));
    while (k > 0 && showHasEnded(timing, FrameSchedule::timeOf(k - 1, fps))) --k;
    while (!showHasEnded(timing, FrameSchedule::timeOf(k, fps))) ++k;
    return k;
}

}  // namespace

long FrameSchedule::nearestFrame(double t, int fps) { return long(std::llround(t * fps)); }

FrameSchedule::FrameSchedule(const Timing& timing, int fps, double from, double to) : fps_(fps) {
    first_ = long(std::ceil(from * fps - kFrameSlack));
    const long ended = firstEndedFrame(timing, fps);
    end_ = ended;
    if (to >= 0.0) {
        const long last = long(std::floor(to * fps + kFrameSlack));
        if (last + 1 < end_) end_ = last + 1;
    }
    if (end_ < first_) end_ = first_;
}
