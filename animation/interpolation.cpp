#include "animation/interpolation.h"

#include <cmath>
#include <cstdint>

#include "animation/track.h"

float ease(float u, float a, float b) {
    float s = a + b;
    if (s == 0.0f) return u;
    if (s > 1.0f) {
        a = a / s;
        b = b / s;
    }
    float k = float(1.0 / (2.0 - a - b));
    // The outer curves divide by a and by b. A parameter outside 0 to 1 can
    // reach an outer curve whose divisor is 0 (or so small that the curve
    // overflows); the middle line, which both curves join, stands in there so
    // that the result stays finite.
    const float middle = k * (2.0f * u - a);
    if (u < a) {
        if (a == 0.0f) return middle;
        float v = (k / a) * u * u;
        return std::isfinite(v) ? v : middle;
    }
    if (u < 1.0f - b || b == 0.0f) return middle;
    float w = 1.0f - u;
    float v = 1.0f - (k / b) * w * w;
    return std::isfinite(v) ? v : middle;
}

Vec3 hermite(Vec3 p0, Vec3 p1, Vec3 t0, Vec3 t1, float u) {
    float u2 = u * u;
    float u3 = u2 * u;
    float h1 = 2.0f * u3 - 3.0f * u2 + 1.0f;
    float h2 = -2.0f * u3 + 3.0f * u2;
    float h3 = u3 - 2.0f * u2 + u;
    float h4 = u3 - u2;
    return {p0.x * h1 + p1.x * h2 + t0.x * h3 + t1.x * h4, p0.y * h1 + p1.y * h2 + t0.y * h3 + t1.y * h4,
            p0.z * h1 + p1.z * h2 + t0.z * h3 + t1.z * h4};
}

Vec3 linearBlend(Vec3 p0, Vec3 p1, float u) {
    return {p0.x + (p1.x - p0.x) * u, p0.y + (p1.y - p0.y) * u, p0.z + (p1.z - p0.z) * u};
}

float segmentParameter(int frame, int from, int to) {
    // Frames come from the file as any 32-bit value: the differences are
    // taken wide so that they cannot overflow.
    const int64_t span = int64_t(to) - int64_t(from);
    if (span == 0) return frame >= to ? 1.0f : 0.0f;
    return float(int64_t(frame) - int64_t(from)) / float(span);
}

float Track::findSegment(int frame) {
    const int n = getKeyCount();
    if (n <= 0) return -1.0f;
    if (n == 1) {
        segment_ = -1;
        return 1.0f;
    }
    auto frameOf = [this](int i) { return keys_[size_t(i)]->frame; };
    if (n == 2) {
        segment_ = 0;
        if (frame > frameOf(1)) return 1.0f;
        return segmentParameter(frame, frameOf(0), frameOf(1));
    }
    if (frame > frameOf(n - 1)) {
        segment_ = n - 2;
        return 1.0f;
    }
    for (int i = 0; i <= n - 2; ++i) {
        if (frameOf(i) <= frame && frame < frameOf(i + 1)) segment_ = i;
    }
    // A frame before the first key with no segment chosen yet extrapolates
    // the first segment; a segment left from a longer key list the last one.
    int s = segment_ < 0 ? 0 : segment_;
    if (s > n - 2) s = n - 2;
    return segmentParameter(frame, frameOf(s), frameOf(s + 1));
}

Vec3 Track::computeTangent(int side, int index) {
    const int n = getKeyCount();
    if (n < 2 || index < 0 || index >= n) return Vec3{};
    auto p = [this](int i) { return keys_[size_t(i)]->value; };
    auto scaled = [](Vec3 v, float f) { return Vec3{v.x * f, v.y * f, v.z * f}; };
    if (index == 0) {
        float t = keys_[0]->spline.tension;
        Vec3 d = vec3Subtract(p(1), p(0));
        return n == 2 ? scaled(d, 1.0f - t) : scaled(d, 1.5f * (1.0f - t));
    }
    if (index == n - 1) {
        float t = keys_[size_t(n - 1)]->spline.tension;
        Vec3 d = vec3Subtract(p(n - 1), p(n - 2));
        return n == 2 ? scaled(d, 1.0f - t) : scaled(d, 1.5f * (1.0f - t));
    }
    // Each weight is formed in double precision, factor after factor, and
    // rounded once to float.
    int i = index;
    float back = 0.0f;
    float forward = 0.0f;
    if (side == 0) {
        const KeySpline& k = keys_[size_t(i)]->spline;
        back = float((1.0 - k.tension) * (1.0 - k.continuity) * (1.0 + k.bias) / 2.0);
        forward = float((1.0 - k.tension) * (1.0 + k.continuity) * (1.0 - k.bias) / 2.0);
    } else if (side == 1) {
        // The tangent at the following key, which needs the key after it.
        i = index + 1;
        if (i + 1 >= n) return Vec3{};
        const KeySpline& k = keys_[size_t(i)]->spline;
        back = float((1.0 - k.tension) * (1.0 + k.continuity) * (1.0 + k.bias) / 2.0);
        forward = float((1.0 - k.tension) * (1.0 - k.continuity) * (1.0 - k.bias) / 2.0);
    } else {
        return Vec3{};
    }
    Vec3 db = vec3Subtract(p(i), p(i - 1));
    Vec3 df = vec3Subtract(p(i + 1), p(i));
    return {back * db.x + forward * df.x, back * db.y + forward * df.y, back * db.z + forward * df.z};
}
