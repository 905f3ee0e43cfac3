#pragma once

#include <array>

// A 4x4 matrix of floats, column by column as OpenGL stores it: element
// (row, column) is m[column * 4 + row]. The operations repeat Mesa's float
// arithmetic step by step (its matrix product, its rotation, and GLU's
// perspective and look-at), so that the web build places every vertex
// where the desktop show does, 190-degree lens included.
class Matrix4 {
public:
    // The identity.
    Matrix4();

    static Matrix4 fromColumns(const std::array<float, 16>& m);

    float at(int row, int column) const { return m_[column * 4 + row]; }
    const float* data() const { return m_.data(); }
    const std::array<float, 16>& elements() const { return m_; }

    // this = this * other, as glMultMatrix.
    void multiply(const Matrix4& other);
    // As glTranslatef: only the last column changes.
    void translate(float x, float y, float z);
    // As glRotatef, angle in degrees about the axis (x, y, z). A rotation
    // about one coordinate axis is built exactly, like Mesa does; an axis
    // shorter than 1e-4 leaves the matrix as it is.
    void rotate(float angle, float x, float y, float z);
    // As gluPerspective: nothing happens when the near and far planes
    // coincide, the aspect is 0 or the sine of half the angle is 0. An angle
    // above 180 degrees turns the picture upside down, as it does in GLU.
    void perspective(double fovy, double aspect, double zNear, double zFar);
    // As gluLookAt, in floats like GLU, then the translation to the eye.
    void lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
                double upY, double upZ);

    bool operator==(const Matrix4& other) const { return m_ == other.m_; }
    bool operator!=(const Matrix4& other) const { return m_ != other.m_; }

private:
    std::array<float, 16> m_;
};
