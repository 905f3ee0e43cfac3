#pragma once

// Three-component vectors and the 3-by-4 matrix that meshes carry.

constexpr float kPi = 3.14159265358979323846f;
constexpr float kTwoPi = 2.0f * kPi;

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// m[0..8] is a 3-by-3 block stored row after row; m[9..11] is a translation
// added after the block has been applied.
struct Matrix3x4 {
    float m[12] = {};
};

Vec3 vec3Add(Vec3 a, Vec3 b);
Vec3 vec3Subtract(Vec3 a, Vec3 b);
float vec3Length(Vec3 v);
Vec3 vec3Normalize(Vec3 v);
Vec3 vec3Cross(Vec3 a, Vec3 b);
Matrix3x4& matrixIdentity(Matrix3x4& m);
Vec3 matrixTransformPoint(const Matrix3x4& m, Vec3 p);
