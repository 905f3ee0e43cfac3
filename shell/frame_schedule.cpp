#include "shell/frame_schedule.h"

#include <cmath>
#include <cstdio>

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

// A bound a second past the show's end still lies past every frame it
// draws; one further (a command line may say 1e300, or nothing that is a
// number) is taken there, before it is made a frame number that a long
// cannot hold.
double withinReach(double t, const Timing& timing) {
    const double reach = timing.end() + 1.0;
    return t >= 0.0 && t <= reach ? t : t < 0.0 ? 0.0 : reach;
}

}  // namespace

long FrameSchedule::nearestFrame(double t, int fps) { return long(std::llround(t * fps)); }

FrameSchedule::FrameSchedule(const Timing& timing, int fps, double from, double to) : fps_(fps) {
    first_ = long(std::ceil(withinReach(from, timing) * fps - kFrameSlack));
    const long ended = firstEndedFrame(timing, fps);
    end_ = ended;
    if (to >= 0.0) {
        const long last = long(std::floor(withinReach(to, timing) * fps + kFrameSlack));
        if (last + 1 < end_) end_ = last + 1;
    }
    if (end_ < first_) end_ = first_;
}

std::string pastTheEnd(const std::string& option, double t, const Timing& timing) {
    if (t <= timing.end()) return "";
    char end[32];
    std::snprintf(end, sizeof end, "%.2f", timing.end());
    return option + " lies past the end of the show (" + end + " s)";
}
