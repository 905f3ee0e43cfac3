#include "web/timing_handles.h"

#include <iterator>

namespace {

using schedule::kSegmentCount;

constexpr int kBoundHandles = kSegmentCount;  // starts of segments 2 to 18, then the end
constexpr int kFlashCount = int(std::size(schedule::kFlashes));

// The time that a handle names, in timing.
double* timeOf(Timing& timing, int handle) {
    if (handle < kBoundHandles) return &timing.bounds[handle + 1];
    const int moment = handle - kBoundHandles;
    if (moment < 2 * kFlashCount) {
        schedule::Window& flash = timing.flashes[moment / 2];
        return moment % 2 == 0 ? &flash.begin : &flash.end;
    }
    switch (moment - 2 * kFlashCount) {
    case 0:
        return &timing.stripes;
    case 1:
        return &timing.waves;
    default:
        return &timing.pulse;
    }
}

}  // namespace

const std::vector<TimingHandle>& timingHandles() {
    static const std::vector<TimingHandle> handles = [] {
        std::vector<TimingHandle> list;
        for (int s = 2; s <= kSegmentCount; ++s)
            list.push_back({"segment " + std::to_string(s) + "'s start", true, false});
        list.push_back({"the end", true, false});
        for (int f = 1; f <= kFlashCount; ++f) {
            list.push_back({"flash " + std::to_string(f) + "'s beginning", false, true});
            list.push_back({"flash " + std::to_string(f) + "'s end", false, false});
        }
        for (const char* moment : {"the stripes", "the waves", "the pulse"}) list.push_back({moment, false, false});
        return list;
    }();
    return handles;
}

double handleTime(const Timing& timing, int handle) {
    Timing copy = timing;
    return *timeOf(copy, handle);
}

Timing withHandleAt(const Timing& timing, int handle, double t) {
    Timing moved = timing;
    *timeOf(moved, handle) = t;
    return moved;
}
