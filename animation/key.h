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

// Which spline parameters a key's record in a file carries. They follow the
// flags in the order of the bits, lowest first.
enum KeyFlag : uint16_t {
    KEY_TENSION = 0x0001,
    KEY_CONTINUITY = 0x0002,
    KEY_BIAS = 0x0004,
    KEY_EASE_TO = 0x0008,
    KEY_EASE_FROM = 0x0010,
};
constexpr int kKeySplineFieldCount = 5;

// One position key of a track.
struct Key {
    // KeyFlag bits: the spline parameters the file gave.
    uint16_t flags = 0;
    int32_t frame = 0;
    Vec3 value;
    KeySpline spline;
};
