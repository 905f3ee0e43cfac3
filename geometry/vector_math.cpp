#include "geometry/vector_math.h"

#include <cmath>

Vec3 vec3Add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

Vec3 vec3Subtract(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

float vec3Length(Vec3 v) {
    double sum = double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z;
    return float(std::sqrt(sum));
}

Vec3 vec3Normalize(Vec3 v) {
    float len = vec3Length(v);
    if (len == 0.0f) return v;
    // Each component is divided on its own: a reciprocal would round differently.
    return {v.x / len, v.y / len, v.z / len};
}

Vec3 vec3Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Matrix3x4& matrixIdentity(Matrix3x4& m) {
    static const float identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    for (int i = 0; i < 12; ++i) m.m[i] = identity[i];
    return m;
}

Vec3 matrixTransformPoint(const Matrix3x4& m, Vec3 p) {
    // Rows of the block are dotted with the point; the translation comes after.
    Vec3 r{m.m[0] * p.x + m.m[1] * p.y + m.m[2] * p.z,
           m.m[3] * p.x + m.m[4] * p.y + m.m[5] * p.z,
           m.m[6] * p.x + m.m[7] * p.y + m.m[8] * p.z};
    return vec3Add(r, Vec3{m.m[9], m.m[10], m.m[11]});
}
