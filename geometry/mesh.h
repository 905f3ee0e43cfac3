#pragma once

#include <vector>

#include "geometry/scene_object.h"
#include "geometry/vector_math.h"

struct MapCoord {
    float u = 0.0f;
    float v = 0.0f;
};

struct Face {
    int i0 = 0;
    int i1 = 0;
    int i2 = 0;
};

// One triangle ready to draw: three corner positions, three corner normals,
// three (u, v) pairs and the face normal, 27 floats in all.
struct FaceRecord {
    float f[27] = {};

    // Corner k, 0 to 2: its position (x, y, z), its normal, its (u, v).
    float* corner(int k) { return f + 3 * k; }
    const float* corner(int k) const { return f + 3 * k; }
    float* cornerNormal(int k) { return f + 9 + 3 * k; }
    const float* cornerNormal(int k) const { return f + 9 + 3 * k; }
    float* cornerMapping(int k) { return f + 18 + 2 * k; }
    const float* cornerMapping(int k) const { return f + 18 + 2 * k; }
    float* faceNormal() { return f + 24; }
    const float* faceNormal() const { return f + 24; }
};

// A triangle object: vertices, faces, mapping coordinates, optional vertex
// normals, a local matrix and the name and index of its material.
class Mesh : public SceneObject {
public:
    Mesh();
    ~Mesh() override;

    virtual int getVertexCount() const;
    virtual int getMappingCount() const;
    virtual int getNormalCount() const;
    virtual int getFaceCount() const;
    virtual int getTriangleCount() const;
    // Bounded reads: an index past the end gives zeros, a negative index element 0.
    virtual Vec3 getVertex(int index) const;
    virtual Vec3 getVertexNormal(int index) const;
    virtual MapCoord getMapping(int index) const;
    virtual void addVertex(Vec3 v);
    virtual void addVertexNormal(Vec3 n);
    virtual void addMapping(float u, float v);
    virtual void clear();
    virtual void addFace(int i0, int i1, int i2);
    virtual Face getFace(int index) const;
    virtual FaceRecord getFaceRecord(int index) const;
    virtual Matrix3x4 getMatrix() const;
    virtual void setMatrixEnabled(unsigned char enabled);
    virtual void setMatrix(Matrix3x4 m);
    virtual void computeVertexNormals();
    virtual void setMaterialName(const char* text);
    virtual int getMaterialName(char* buffer, int capacity) const;
    virtual int getMaterialIndex() const;
    virtual void setMaterialIndex(int index);

    // Room for count more elements of each list, so that a reader that knows
    // a count grows the arrays once.
    void reserveVertices(int count);
    void reserveFaces(int count);
    void reserveMappings(int count);

private:
    int materialIndex_ = -1;
    unsigned char matrixEnabled_ = 0;
    std::vector<Vec3> vertices_;
    std::vector<Vec3> normals_;
    std::vector<MapCoord> mappings_;
    std::vector<Face> faces_;
    Matrix3x4 matrix_;
    OwnedText materialName_;
};
