#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "geometry/mesh.h"

namespace {

void expectVec(Vec3 actual, float x, float y, float z, const std::string& what) {
    EXPECT_FLOAT_EQ(actual.x, x) << what;
    EXPECT_FLOAT_EQ(actual.y, y) << what;
    EXPECT_FLOAT_EQ(actual.z, z) << what;
}

void expectRecord(const FaceRecord& actual, const float (&expected)[27]) {
    for (int i = 0; i < 27; ++i) EXPECT_FLOAT_EQ(actual.f[i], expected[i]) << "float " << i;
}

// The triangle (0, 0, 0), (1, 0, 0), (0, 1, 0), counter-clockwise seen from +z.
void addUnitTriangle(Mesh& mesh) {
    mesh.addVertex(Vec3{0, 0, 0});
    mesh.addVertex(Vec3{1, 0, 0});
    mesh.addVertex(Vec3{0, 1, 0});
    mesh.addMapping(0, 0);
    mesh.addMapping(1, 0);
    mesh.addMapping(0, 1);
    mesh.addFace(0, 1, 2);
}

bool isIdentity(const Matrix3x4& m) {
    const float identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    return std::memcmp(m.m, identity, sizeof identity) == 0;
}

TEST(Mesh, NewMeshIsEmptyWithIdentityMatrixAndNoMaterial) {
    Mesh mesh;
    EXPECT_EQ(mesh.getVertexCount(), 0);
    EXPECT_EQ(mesh.getMappingCount(), 0);
    EXPECT_EQ(mesh.getNormalCount(), 0);
    EXPECT_EQ(mesh.getFaceCount(), 0);
    EXPECT_EQ(mesh.getTriangleCount(), 0);
    EXPECT_TRUE(isIdentity(mesh.getMatrix()));
    EXPECT_EQ(mesh.getMaterialIndex(), -1);
    char buffer[32];
    EXPECT_EQ(mesh.getMaterialName(buffer, 32), 0);
}

TEST(Mesh, FaceRecordOfOneTriangle) {
    Mesh mesh;
    addUnitTriangle(mesh);
    ASSERT_EQ(mesh.getTriangleCount(), 1);
    const float expected[27] = {0, 0, 0, 1, 0, 0, 0, 1, 0,   // positions
                                0, 0, 0, 0, 0, 0, 0, 0, 0,   // no vertex normals
                                0, 0, 1, 0, 0, 1,            // mappings
                                0, 0, 1};                    // face normal
    expectRecord(mesh.getFaceRecord(0), expected);
}

TEST(Mesh, FaceRecordKeepsTheCornerOrderOfTheFace) {
    Mesh mesh;
    addUnitTriangle(mesh);
    mesh.addFace(0, 2, 1);
    // Clockwise from +z: the face normal points the other way.
    const float expected[27] = {0, 0, 0, 0, 1, 0, 1, 0, 0,  //
                                0, 0, 0, 0, 0, 0, 0, 0, 0,  //
                                0, 0, 0, 1, 1, 0,           //
                                0, 0, -1};
    expectRecord(mesh.getFaceRecord(1), expected);
}

TEST(Mesh, FaceRecordCarriesTheVertexNormalsOfItsCorners) {
    Mesh mesh;
    addUnitTriangle(mesh);
    mesh.addVertexNormal(Vec3{1, 2, 3});
    mesh.addVertexNormal(Vec3{4, 5, 6});
    mesh.addVertexNormal(Vec3{7, 8, 9});
    mesh.addFace(2, 0, 1);
    FaceRecord record = mesh.getFaceRecord(1);
    const float normals[9] = {7, 8, 9, 1, 2, 3, 4, 5, 6};
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(record.f[9 + i], normals[i]) << "float " << 9 + i;
}

TEST(Mesh, FaceRecordPastTheLastFaceUsesVertexZeroThreeTimes) {
    Mesh mesh;
    mesh.addVertex(Vec3{1, 2, 3});
    mesh.addVertex(Vec3{4, 5, 6});
    mesh.addVertex(Vec3{7, 8, 10});
    mesh.addMapping(0.25f, 0.75f);
    mesh.addMapping(0.5f, 0.5f);
    mesh.addMapping(1, 1);
    mesh.addVertexNormal(Vec3{0, 1, 0});
    mesh.addFace(0, 1, 2);
    const float expected[27] = {1, 2, 3, 1, 2, 3, 1, 2, 3,                  //
                                0, 1, 0, 0, 1, 0, 0, 1, 0,                  //
                                0.25f, 0.75f, 0.25f, 0.75f, 0.25f, 0.75f,   //
                                0, 0, 0};
    expectRecord(mesh.getFaceRecord(mesh.getFaceCount()), expected);
}

TEST(Mesh, FaceRecordOfNegativeIndexIsTheFirstFace) {
    Mesh mesh;
    addUnitTriangle(mesh);
    mesh.addFace(2, 1, 0);
    FaceRecord first = mesh.getFaceRecord(0);
    FaceRecord negative = mesh.getFaceRecord(-1);
    for (int i = 0; i < 27; ++i) EXPECT_FLOAT_EQ(negative.f[i], first.f[i]) << "float " << i;
}

TEST(Mesh, FaceRecordOfMeshWithoutFacesIsBuiltFromVertexZero) {
    Mesh mesh;
    mesh.addVertex(Vec3{1, 2, 3});
    FaceRecord record = mesh.getFaceRecord(0);
    const float expected[27] = {1, 2, 3, 1, 2, 3, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    expectRecord(record, expected);
}

TEST(Mesh, FaceRecordWithIndexBeyondTheVerticesReadsZeros) {
    Mesh mesh;
    mesh.addVertex(Vec3{1, 1, 1});
    mesh.addVertex(Vec3{2, 1, 1});
    mesh.addVertex(Vec3{1, 2, 1});
    mesh.addMapping(0.5f, 0.5f);
    mesh.addMapping(0.5f, 0.5f);
    mesh.addMapping(0.5f, 0.5f);
    mesh.addFace(0, 1, 1000000);
    FaceRecord record = mesh.getFaceRecord(0);
    for (int i : {6, 7, 8, 22, 23}) EXPECT_FLOAT_EQ(record.f[i], 0.0f) << "float " << i;
    EXPECT_FLOAT_EQ(record.f[3], 2.0f);
}

TEST(Mesh, FacesAreStoredUncheckedInTheGivenOrder) {
    Mesh mesh;
    mesh.addFace(5, 7, 100);
    mesh.addFace(-2, 0, 3);
    ASSERT_EQ(mesh.getFaceCount(), 2);
    EXPECT_EQ(mesh.getTriangleCount(), 2);
    Face first = mesh.getFace(0);
    EXPECT_EQ(first.i0, 5);
    EXPECT_EQ(first.i1, 7);
    EXPECT_EQ(first.i2, 100);
    Face second = mesh.getFace(1);
    EXPECT_EQ(second.i0, -2);
    EXPECT_EQ(second.i1, 0);
    EXPECT_EQ(second.i2, 3);
}

TEST(Mesh, BoundedReadsGiveElementZeroForNegativeAndZerosPastTheEnd) {
    Mesh mesh;
    mesh.addVertex(Vec3{1, 2, 3});
    mesh.addVertex(Vec3{4, 5, 6});
    mesh.addVertexNormal(Vec3{0, 0, 1});
    mesh.addMapping(0.25f, 0.5f);
    mesh.addFace(1, 0, 1);

    expectVec(mesh.getVertex(-1), 1, 2, 3, "vertex -1");
    expectVec(mesh.getVertex(1), 4, 5, 6, "vertex 1");
    expectVec(mesh.getVertex(2), 0, 0, 0, "vertex count");
    expectVec(mesh.getVertexNormal(-7), 0, 0, 1, "normal -7");
    expectVec(mesh.getVertexNormal(1), 0, 0, 0, "normal count");
    EXPECT_FLOAT_EQ(mesh.getMapping(-1).u, 0.25f);
    EXPECT_FLOAT_EQ(mesh.getMapping(-1).v, 0.5f);
    EXPECT_FLOAT_EQ(mesh.getMapping(1).u, 0.0f);
    EXPECT_FLOAT_EQ(mesh.getMapping(1).v, 0.0f);
    EXPECT_EQ(mesh.getFace(-1).i0, 1);
    Face past = mesh.getFace(1);
    EXPECT_EQ(past.i0, 0);
    EXPECT_EQ(past.i1, 0);
    EXPECT_EQ(past.i2, 0);
}

TEST(Mesh, GetMappingWithoutMappingsIsZeroForEveryIndex) {
    Mesh bare;
    bare.addVertex(Vec3{1, 2, 3});
    for (int index : {-1, 0, 1, 2, 100}) {
        MapCoord t = bare.getMapping(index);
        EXPECT_EQ(t.u, 0.0f) << "index " << index;
        EXPECT_EQ(t.v, 0.0f) << "index " << index;
    }
    EXPECT_EQ(bare.getMappingCount(), 0);
}

TEST(Mesh, EmptyMeshReadsZerosForEveryIndex) {
    Mesh mesh;
    for (int index : {-1, 0, 1}) {
        std::string what = "index " + std::to_string(index);
        expectVec(mesh.getVertex(index), 0, 0, 0, what);
        expectVec(mesh.getVertexNormal(index), 0, 0, 0, what);
        Face f = mesh.getFace(index);
        EXPECT_EQ(f.i0 | f.i1 | f.i2, 0) << what;
    }
}

// Two triangles share the edge (1, 0, 0)-(0, 1, 0), each with its own copy of
// the edge's vertices: A lies in the z = 0 plane, B folds up towards (1, 1, 1).
class SharedEdgeMesh : public testing::Test {
protected:
    void SetUp() override {
        mesh.addVertex(Vec3{0, 0, 0});  // 0: A only
        mesh.addVertex(Vec3{1, 0, 0});  // 1: A, duplicated by 3
        mesh.addVertex(Vec3{0, 1, 0});  // 2: A, duplicated by 5
        mesh.addVertex(Vec3{1, 0, 0});  // 3: B
        mesh.addVertex(Vec3{1, 1, 1});  // 4: B only
        mesh.addVertex(Vec3{0, 1, 0});  // 5: B
        mesh.addVertex(Vec3{5, 5, 5});  // 6: in no face
        mesh.addFace(0, 1, 2);
        mesh.addFace(3, 4, 5);
    }

    Mesh mesh;
    // Face normal of A is (0, 0, 1); of B, (p1 - p2) x (p1 - p0) = (1, 0, 1) x (0, 1, 1) = (-1, -1, 1).
    const float b = float(1.0 / std::sqrt(3.0));
};

TEST_F(SharedEdgeMesh, ComputeVertexNormalsGivesDuplicatedVerticesTheSameSmoothedNormal) {
    mesh.computeVertexNormals();
    ASSERT_EQ(mesh.getNormalCount(), 7);
    const double sx = -1.0 / std::sqrt(3.0);
    const double sz = 1.0 + 1.0 / std::sqrt(3.0);
    const double length = std::sqrt(2 * sx * sx + sz * sz);
    const float x = float(sx / length);
    const float z = float(sz / length);
    for (int i : {1, 2, 3, 5}) expectVec(mesh.getVertexNormal(i), x, x, z, "shared vertex " + std::to_string(i));
    expectVec(mesh.getVertexNormal(0), 0, 0, 1, "vertex 0 of A only");
    expectVec(mesh.getVertexNormal(4), -b, -b, b, "vertex 4 of B only");
    expectVec(mesh.getVertexNormal(6), 0, 0, 0, "vertex 6 in no face");
}

TEST_F(SharedEdgeMesh, ComputeVertexNormalsReplacesEarlierNormals) {
    for (int i = 0; i < 9; ++i) mesh.addVertexNormal(Vec3{9, 9, 9});
    mesh.computeVertexNormals();
    EXPECT_EQ(mesh.getNormalCount(), mesh.getVertexCount());
    expectVec(mesh.getVertexNormal(0), 0, 0, 1, "vertex 0");
    expectVec(mesh.getVertexNormal(7), 0, 0, 0, "index past the new normals");
}

TEST_F(SharedEdgeMesh, ComputeVertexNormalsUsesTheStoredPositions) {
    // A matrix that turns (x, y, z) into (y, z, x) would move A out of the z = 0 plane.
    Matrix3x4 m;
    const float rows[12] = {0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0};
    std::memcpy(m.m, rows, sizeof rows);
    mesh.setMatrix(m);
    mesh.setMatrixEnabled(1);
    mesh.computeVertexNormals();
    mesh.setMatrixEnabled(0);
    expectVec(mesh.getVertexNormal(0), 0, 0, 1, "vertex 0");
}

TEST(Mesh, ComputeVertexNormalsTreatsVerticesCloserThanATenThousandthAsOne) {
    Mesh mesh;
    addUnitTriangle(mesh);
    // Two more triangles, each away from A, each with one corner near A's vertex 0.
    mesh.addVertex(Vec3{0.00005f, -0.00005f, 0.00005f});  // 3: coincides with 0
    mesh.addVertex(Vec3{0, 0, -1});
    mesh.addVertex(Vec3{-1, 0, 0});
    mesh.addFace(3, 4, 5);  // normal close to (0, 1, 0)
    mesh.addVertex(Vec3{0.0002f, 0, 0});  // 6: too far from 0
    mesh.addVertex(Vec3{0, 0, 1});
    mesh.addVertex(Vec3{0, -1, 0});
    mesh.addFace(6, 7, 8);
    mesh.computeVertexNormals();

    Vec3 n0 = mesh.getVertexNormal(0);
    Vec3 n3 = mesh.getVertexNormal(3);
    expectVec(n3, n0.x, n0.y, n0.z, "vertex 3 against vertex 0");
    // Vertex 0 sums A's (0, 0, 1) and the second face's normal, not the third's.
    EXPECT_NEAR(n0.z, float(1 / std::sqrt(2.0)), 1e-3) << "vertex 0";
    EXPECT_NEAR(n0.y, float(1 / std::sqrt(2.0)), 1e-3) << "vertex 0";
    EXPECT_NEAR(n0.x, 0.0f, 1e-3) << "vertex 0";
    Vec3 n6 = mesh.getVertexNormal(6);
    EXPECT_GT(std::fabs(n6.x - n0.x) + std::fabs(n6.y - n0.y) + std::fabs(n6.z - n0.z), 0.1f)
        << "vertex 6 must not be merged with vertex 0";
}

TEST(Mesh, ComputeVertexNormalsOnEmptyMeshLeavesNoNormals) {
    Mesh empty;
    empty.computeVertexNormals();
    EXPECT_EQ(empty.getNormalCount(), 0);

    Mesh facesOnly;
    facesOnly.addFace(0, 1, 2);
    facesOnly.computeVertexNormals();
    EXPECT_EQ(facesOnly.getNormalCount(), 0);
}

// Regression: faces naming a vertex outside the list were read out of bounds.
TEST(Mesh, ComputeVertexNormalsSkipsFacesOutsideTheVertexList) {
    Mesh mesh;
    addUnitTriangle(mesh);
    mesh.addFace(0, 1, 1000000);
    mesh.addFace(-1, 1, 2);
    mesh.addFace(2, 0, 3);
    mesh.computeVertexNormals();
    ASSERT_EQ(mesh.getNormalCount(), 3);
    for (int i = 0; i < 3; ++i) expectVec(mesh.getVertexNormal(i), 0, 0, 1, "vertex " + std::to_string(i));
}

class MatrixMesh : public testing::Test {
protected:
    void SetUp() override {
        // Row 0 picks y, row 1 picks z, row 2 picks x; then a translation.
        const float rows[12] = {0, 1, 0, 0, 0, 1, 1, 0, 0, 10, 20, 30};
        std::memcpy(matrix.m, rows, sizeof rows);
        mesh.addVertex(Vec3{1, 2, 3});
        mesh.addVertex(Vec3{4, 5, 6});
        mesh.addVertex(Vec3{7, 8, 10});
        mesh.addVertexNormal(Vec3{0, 0, 1});
        mesh.addMapping(0.25f, 0.75f);
        mesh.addFace(0, 1, 2);
        mesh.setMatrix(matrix);
    }

    Mesh mesh;
    Matrix3x4 matrix;
};

TEST_F(MatrixMesh, SetMatrixStoresAllTwelveFloats) {
    Matrix3x4 stored = mesh.getMatrix();
    for (int i = 0; i < 12; ++i) EXPECT_EQ(stored.m[i], matrix.m[i]) << "element " << i;
}

TEST_F(MatrixMesh, MatrixIsNotAppliedUntilEnabled) {
    expectVec(mesh.getVertex(0), 1, 2, 3, "vertex 0");
    expectVec(mesh.getVertexNormal(0), 0, 0, 1, "normal 0");
}

TEST_F(MatrixMesh, EnabledMatrixMovesVerticesAndNormalsButNotMappings) {
    mesh.setMatrixEnabled(1);
    expectVec(mesh.getVertex(0), 12, 23, 31, "vertex 0");
    expectVec(mesh.getVertex(2), 18, 30, 37, "vertex 2");
    // Normals go through the same function as points, translation included.
    expectVec(mesh.getVertexNormal(0), 10, 21, 30, "normal 0");
    EXPECT_FLOAT_EQ(mesh.getMapping(0).u, 0.25f);
    EXPECT_FLOAT_EQ(mesh.getMapping(0).v, 0.75f);

    FaceRecord record = mesh.getFaceRecord(0);
    const float positions[9] = {12, 23, 31, 15, 26, 34, 18, 30, 37};
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(record.f[i], positions[i]) << "float " << i;
    const float normal0[3] = {10, 21, 30};
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(record.f[9 + i], normal0[i]) << "float " << 9 + i;
    EXPECT_FLOAT_EQ(record.f[18], 0.25f);
    EXPECT_FLOAT_EQ(record.f[19], 0.75f);

    mesh.setMatrixEnabled(0);
    expectVec(mesh.getVertex(0), 1, 2, 3, "vertex 0 after disabling");
}

TEST_F(MatrixMesh, ClearResetsArraysMatrixAndMaterialNameButKeepsNameAndIndex) {
    mesh.setName("Box12");
    mesh.setMaterialName("WOOD");
    mesh.setMaterialIndex(4);
    mesh.setMatrixEnabled(1);
    mesh.clear();

    EXPECT_EQ(mesh.getVertexCount(), 0);
    EXPECT_EQ(mesh.getNormalCount(), 0);
    EXPECT_EQ(mesh.getMappingCount(), 0);
    EXPECT_EQ(mesh.getFaceCount(), 0);
    EXPECT_TRUE(isIdentity(mesh.getMatrix()));
    char material[32];
    EXPECT_EQ(mesh.getMaterialName(material, 32), 0);
    char name[32] = {};
    EXPECT_EQ(mesh.getName(name, 32), 6);
    EXPECT_STREQ(name, "Box12");
    EXPECT_EQ(mesh.getMaterialIndex(), 4);

    // The flag went with the matrix: a new matrix is not applied until enabled again.
    mesh.setMatrix(matrix);
    mesh.addVertex(Vec3{1, 2, 3});
    expectVec(mesh.getVertex(0), 1, 2, 3, "vertex added after clear");
}

TEST(Mesh, ClearedMeshCanBeFilledAgain) {
    Mesh mesh;
    addUnitTriangle(mesh);
    mesh.computeVertexNormals();
    mesh.clear();
    mesh.addVertex(Vec3{7, 8, 9});
    mesh.addFace(0, 0, 0);
    EXPECT_EQ(mesh.getVertexCount(), 1);
    EXPECT_EQ(mesh.getFaceCount(), 1);
    expectVec(mesh.getVertex(0), 7, 8, 9, "vertex 0");
}

}  // namespace
