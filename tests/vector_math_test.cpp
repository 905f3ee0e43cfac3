#include <gtest/gtest.h>

#include "geometry/vector_math.h"

namespace {

void expectVec(Vec3 actual, float x, float y, float z) {
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
    EXPECT_FLOAT_EQ(actual.z, z);
}

TEST(VectorMath, NormalizeOfZeroIsZero) { expectVec(vec3Normalize(Vec3{0, 0, 0}), 0, 0, 0); }

TEST(VectorMath, NormalizeAndLength) {
    expectVec(vec3Normalize(Vec3{3, 0, 4}), 0.6f, 0, 0.8f);
    EXPECT_EQ(vec3Length(Vec3{3, 4, 0}), 5.0f);
}

TEST(VectorMath, CrossIsRightHanded) {
    expectVec(vec3Cross(Vec3{1, 0, 0}, Vec3{0, 1, 0}), 0, 0, 1);
    expectVec(vec3Cross(Vec3{0, 1, 0}, Vec3{1, 0, 0}), 0, 0, -1);
    expectVec(vec3Cross(Vec3{2, 4, 6}, Vec3{1, 2, 3}), 0, 0, 0);
}

TEST(VectorMath, AddAndSubtractEveryComponent) {
    expectVec(vec3Subtract(Vec3{1, 2, 3}, Vec3{0.5f, 0.5f, 0.5f}), 0.5f, 1.5f, 2.5f);
    expectVec(vec3Add(Vec3{1, 2, 3}, Vec3{0.5f, 0.5f, 0.5f}), 1.5f, 2.5f, 3.5f);
}

TEST(VectorMath, IdentityLeavesPointsAndTranslationAddsAfterTheBlock) {
    Matrix3x4 m;
    matrixIdentity(m);
    const float expected[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(m.m[i], expected[i]) << "element " << i;
    expectVec(matrixTransformPoint(m, Vec3{1.5f, -2, 7}), 1.5f, -2, 7);
    m.m[9] = 1;
    m.m[10] = 2;
    m.m[11] = 3;
    expectVec(matrixTransformPoint(m, Vec3{1.5f, -2, 7}), 2.5f, 0, 10);
}

TEST(VectorMath, MatrixAppliesRowsNotColumns) {
    Matrix3x4 m;
    // Row 0 picks y, row 1 picks z, row 2 picks x.
    const float rows[12] = {0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0};
    for (int i = 0; i < 12; ++i) m.m[i] = rows[i];
    expectVec(matrixTransformPoint(m, Vec3{1, 2, 3}), 2, 3, 1);
}

}  // namespace
