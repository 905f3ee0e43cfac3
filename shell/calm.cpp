#include "shell/calm.h"

namespace calm {

bool slowsMotion(int segment) { return segment == 7 || segment == 9; }

float motionTime(const Timing& timing, int segment, float t) {
    if (!slowsMotion(segment)) return t;
    const double start = timing.segmentStart(segment);
    return float(start + (double(t) - start) * kMotionSpeed);
}

bool dims(int segment) { return segment == 1 || (segment >= 4 && segment <= 6) || segment == 8; }

std::vector<schedule::Window> changedStretches(const Timing& timing) {
    std::vector<schedule::Window> stretches;
    for (int segment = 1; segment <= schedule::kSegmentCount; ++segment) {
        if (!dims(segment) && !slowsMotion(segment)) continue;
        const double start = timing.segmentStart(segment);
        if (!stretches.empty() && stretches.back().end == start) {
            stretches.back().end = timing.segmentEnd(segment);
        } else {
            stretches.push_back(schedule::Window{start, timing.segmentEnd(segment)});
        }
    }
    return stretches;
}

}  // namespace calm
