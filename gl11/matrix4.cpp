#include "gl11/matrix4.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

constexpr std::array<float, 16> kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void normalize(float v[3]) {
    const float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0.0f) return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

Matrix4::Matrix4() : m_(kIdentity) {}

Matrix4 Matrix4::fromColumns(const std::array<float, 16>& m) {
    Matrix4 result;
    result.m_ = m;
    return result;
}

void Matrix4::multiply(const Matrix4& other) {
    const std::array<float, 16> a = m_;
    const std::array<float, 16>& b = other.m_;
    // Row by row of a, each sum in the order Mesa adds it.
    for (int i = 0; i < 4; ++i) {
        const float ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        for (int j = 0; j < 4; ++j)
            m_[j * 4 + i] = ai0 * b[j * 4] + ai1 * b[j * 4 + 1] + ai2 * b[j * 4 + 2] + ai3 * b[j * 4 + 3];
    }
}

void Matrix4::translate(float x, float y, float z) {
    for (int i = 0; i < 4; ++i) m_[12 + i] = m_[i] * x + m_[4 + i] * y + m_[8 + i] * z + m_[12 + i];
}

void Matrix4::rotate(float angle, float x, float y, float z) {
    // The angle in radians is rounded to a float before its sine, as Mesa does.
    const float radians = float(double(angle) * kPi / 180.0);
    const float s = std::sin(radians);
    const float c = std::cos(radians);
    std::array<float, 16> r = kIdentity;
    auto at = [&r](int row, int column) -> float& { return r[column * 4 + row]; };
    bool axis = false;
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        axis = true;
        at(0, 0) = c;
        at(1, 1) = c;
        at(0, 1) = z < 0.0f ? s : -s;
        at(1, 0) = z < 0.0f ? -s : s;
    } else if (x == 0.0f && y != 0.0f && z == 0.0f) {
        axis = true;
        at(0, 0) = c;
        at(2, 2) = c;
        at(0, 2) = y < 0.0f ? -s : s;
        at(2, 0) = y < 0.0f ? s : -s;
    } else if (x != 0.0f && y == 0.0f && z == 0.0f) {
        axis = true;
        at(1, 1) = c;
        at(2, 2) = c;
        at(1, 2) = x < 0.0f ? s : -s;
        at(2, 1) = x < 0.0f ? -s : s;
    }
    if (!axis) {
        const float length = std::sqrt(x * x + y * y + z * z);
        if (length <= 1.0e-4f) return;
        x /= length;
        y /= length;
        z /= length;
        const float xx = x * x, yy = y * y, zz = z * z;
        const float xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s;
        const float oneC = 1.0f - c;
        at(0, 0) = (oneC * xx) + c;
        at(0, 1) = (oneC * xy) - zs;
        at(0, 2) = (oneC * zx) + ys;
        at(1, 0) = (oneC * xy) + zs;
        at(1, 1) = (oneC * yy) + c;
        at(1, 2) = (oneC * yz) - xs;
        at(2, 0) = (oneC * zx) - ys;
        at(2, 1) = (oneC * yz) + xs;
        at(2, 2) = (oneC * zz) + c;
    }
    multiply(fromColumns(r));
}

void Matrix4::perspective(double fovy, double aspect, double zNear, double zFar) {
    const double radians = fovy / 2 * kPi / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    std::array<float, 16> p = kIdentity;
    p[0] = float(cotangent / aspect);
    p[5] = float(cotangent);
    p[10] = float(-(zFar + zNear) / deltaZ);
    p[11] = -1.0f;
    p[14] = float(-2 * zNear * zFar / deltaZ);
    p[15] = 0.0f;
    multiply(fromColumns(p));
}

void Matrix4::lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ,
                     double upX, double upY, double upZ) {
    float forward[3] = {float(centreX - eyeX), float(centreY - eyeY), float(centreZ - eyeZ)};
    float up[3] = {float(upX), float(upY), float(upZ)};
    float side[3];
    normalize(forward);
    cross(forward, up, side);
    normalize(side);
    cross(side, forward, up);
    std::array<float, 16> v = kIdentity;
    v[0] = side[0];
    v[4] = side[1];
    v[8] = side[2];
    v[1] = up[0];
    v[5] = up[1];
    v[9] = up[2];
    v[2] = -forward[0];
    v[6] = -forward[1];
    v[10] = -forward[2];
    multiply(fromColumns(v));
    translate(float(-eyeX), float(-eyeY), float(-eyeZ));
}
