#include "geometry/mesh.h"

#include <cmath>

namespace {

template <typename T>
T boundedRead(const std::vector<T>& list, int index) {
    if (list.empty()) return T{};
    if (index < 0) return list[0];
    if (size_t(index) >= list.size()) return T{};
    return list[size_t(index)];
}

// The corners of a face are taken in the order i1 - i2, i1 - i0: for corners
// listed counter-clockwise this is the usual outward normal.
Vec3 faceNormal(Vec3 p0, Vec3 p1, Vec3 p2) {
    return vec3Normalize(vec3Cross(vec3Subtract(p1, p2), vec3Subtract(p1, p0)));
}

void store(float* out, Vec3 v) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

}  // namespace

Mesh::Mesh() { matrixIdentity(matrix_); }

Mesh::~Mesh() { Mesh::clear(); }

int Mesh::getVertexCount() const { return int(vertices_.size()); }
int Mesh::getMappingCount() const { return int(mappings_.size()); }
int Mesh::getNormalCount() const { return int(normals_.size()); }
int Mesh::getFaceCount() const { return int(faces_.size()); }
int Mesh::getTriangleCount() const { return int(faces_.size()); }

Vec3 Mesh::getVertex(int index) const {
    Vec3 v = boundedRead(vertices_, index);
    return matrixEnabled_ ? matrixTransformPoint(matrix_, v) : v;
}

Vec3 Mesh::getVertexNormal(int index) const {
    Vec3 n = boundedRead(normals_, index);
    return matrixEnabled_ ? matrixTransformPoint(matrix_, n) : n;
}

MapCoord Mesh::getMapping(int index) const { return boundedRead(mappings_, index); }

void Mesh::addVertex(Vec3 v) { vertices_.push_back(v); }
void Mesh::addVertexNormal(Vec3 n) { normals_.push_back(n); }
void Mesh::addMapping(float u, float v) { mappings_.push_back(MapCoord{u, v}); }

void Mesh::clear() {
    std::vector<Vec3>().swap(vertices_);
    std::vector<Vec3>().swap(normals_);
    std::vector<MapCoord>().swap(mappings_);
    std::vector<Face>().swap(faces_);
    matrixIdentity(matrix_);
    matrixEnabled_ = 0;
    materialName_.reset();
}

void Mesh::addFace(int i0, int i1, int i2) { faces_.push_back(Face{i0, i1, i2}); }

Face Mesh::getFace(int index) const { return boundedRead(faces_, index); }

FaceRecord Mesh::getFaceRecord(int index) const {
    Face face = getFace(index);
    const int corners[3] = {face.i0, face.i1, face.i2};
    Vec3 p[3];
    FaceRecord record;
    for (int k = 0; k < 3; ++k) {
        p[k] = getVertex(corners[k]);
        Vec3 n = getVertexNormal(corners[k]);
        MapCoord t = getMapping(corners[k]);
        store(record.corner(k), p[k]);
        store(record.cornerNormal(k), n);
        record.cornerMapping(k)[0] = t.u;
        record.cornerMapping(k)[1] = t.v;
    }
    store(record.faceNormal(), faceNormal(p[0], p[1], p[2]));
    return record;
}

Matrix3x4 Mesh::getMatrix() const { return matrix_; }
void Mesh::setMatrixEnabled(unsigned char enabled) { matrixEnabled_ = enabled; }
void Mesh::setMatrix(Matrix3x4 m) { matrix_ = m; }

void Mesh::computeVertexNormals() {
    const int count = int(vertices_.size());
    if (count < 1) return;
    std::vector<Vec3> normals(static_cast<size_t>(count));
    auto valid = [count](int index) { return index >= 0 && index < count; };
    for (int i = 0; i < count; ++i) {
        const Vec3 p = vertices_[size_t(i)];
        Vec3 sum;
        for (int j = 0; j < count; ++j) {
            const Vec3 q = vertices_[size_t(j)];
            bool coincides = std::fabs(double(p.x) - q.x) < 0.0001 && std::fabs(double(p.y) - q.y) < 0.0001 &&
                             std::fabs(double(p.z) - q.z) < 0.0001;
            if (!coincides) continue;
            for (const Face& face : faces_) {
                if (face.i0 != j && face.i1 != j && face.i2 != j) continue;
                // A face that names a vertex outside the list has no normal to give.
                if (!valid(face.i0) || !valid(face.i1) || !valid(face.i2)) continue;
                Vec3 n = faceNormal(vertices_[size_t(face.i0)], vertices_[size_t(face.i1)],
                                    vertices_[size_t(face.i2)]);
                sum = vec3Add(sum, n);
            }
        }
        normals[size_t(i)] = vec3Normalize(sum);
    }
    normals_.swap(normals);
}

void Mesh::setMaterialName(const char* text) { materialName_.set(text); }
int Mesh::getMaterialName(char* buffer, int capacity) const { return materialName_.copyTo(buffer, capacity); }
int Mesh::getMaterialIndex() const { return materialIndex_; }
void Mesh::setMaterialIndex(int index) { materialIndex_ = index; }

void Mesh::reserveVertices(int count) { vertices_.reserve(vertices_.size() + size_t(count)); }
void Mesh::reserveFaces(int count) { faces_.reserve(faces_.size() + size_t(count)); }
void Mesh::reserveMappings(int count) { mappings_.reserve(mappings_.size() + size_t(count)); }
