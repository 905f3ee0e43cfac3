#include "shell/calm.h"

namespace calm {

bool slowsMotion(int segment) { return segment == 7 || segment == 9; }

float motionTime(const Timing& timing, int segment, float t) {
    if (!slowsMotion(segment)) return t;
    const double start = timing.segmentStart(segment);
    return float(start + (double(t) - start) * kMotionSpeed);
}

bool dims(int segment) { return segment == 1 || (segment >= 4 && segment <= 6) || segment == 8; }

}  // namespace calm
