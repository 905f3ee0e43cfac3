#pragma once

#include <cstdint>

#include "geometry/vector_math.h"

// Kochanek-Bartels parameters of one key. Tension, continuity and bias start
// at 0.5, not 0: a key whose file record omits one of them keeps 0.5.
struct KeySpline {
    float tension = 0.5f;
    float continuity = 0.5f;
    float bias = 0.5f;
    float ease_to = 0.0f;
    float ease_from = 0.0f;

    void setTension(float v) { tension = v; }
    void setContinuity(float v) { continuity = v; }
    void setBias(float v) { bias = v; }
    void setEaseTo(float v) { ease_to = v; }
    void setEaseFrom(float v) { ease_from = v; }
};

// One position key of a track.
struct Key {
    // Bit 0 tension given, bit 1 continuity, bit 2 bias, bit 3 ease_to, bit 4 ease_from.
    uint16_t flags = 0;
    int32_t frame = 0;
    Vec3 value;
    KeySpline spline;
};
