#include "web/timing_handles.h"

#include <string>
#include <utility>

namespace {

// Where a handle's time stands in a timing: a time of the timing's names,
// and for a flash which end of its window.
struct HandleTime {
    TimingKind kind;
    int number;
    bool windowEnd;
};

struct Handles {
    std::vector<TimingHandle> handles;
    std::vector<HandleTime> times;
};

// Every time of the timing file but the music, in the file's order; a
// flash's line holds two.
const Handles& handles() {
    static const Handles all = [] {
        Handles h;
        auto add = [&h](const TimingName& name, std::string label, bool opensWindow, bool windowEnd) {
            const bool bound = name.kind == TimingKind::Start || name.kind == TimingKind::End;
            h.handles.push_back({std::move(label), bound, opensWindow});
            h.times.push_back({name.kind, name.number, windowEnd});
        };
        for (const TimingName& name : timingNames()) {
            switch (name.kind) {
            case TimingKind::Music:
                break;
            case TimingKind::Start:
                add(name, name.text + "'s start", false, false);
                break;
            case TimingKind::Flash:
                add(name, name.text + "'s beginning", true, false);
                add(name, name.text + "'s end", false, true);
                break;
            default:
                add(name, "the " + name.text, false, false);
                break;
            }
        }
        return h;
    }();
    return all;
}

// The time that a handle names, in timing.
double* timeOf(Timing& timing, int handle) {
    const HandleTime& at = handles().times[std::size_t(handle)];
    switch (at.kind) {
    case TimingKind::Start:
        return &timing.bounds[at.number - 1];
    case TimingKind::Flash:
        return at.windowEnd ? &timing.flashes[at.number - 1].end : &timing.flashes[at.number - 1].begin;
    case TimingKind::Stripes:
        return &timing.stripes;
    case TimingKind::Waves:
        return &timing.waves;
    case TimingKind::Pulse:
        return &timing.pulse;
    case TimingKind::End:
    default:
        return &timing.bounds[schedule::kSegmentCount];
    }
}

}  // namespace

const std::vector<TimingHandle>& timingHandles() { return handles().handles; }

double handleTime(const Timing& timing, int handle) {
    Timing copy = timing;
    return *timeOf(copy, handle);
}

Timing withHandleAt(const Timing& timing, int handle, double t) {
    Timing moved = timing;
    *timeOf(moved, handle) = t;
    return moved;
}
