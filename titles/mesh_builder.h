#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "geometry/vector_math.h"
#include "scene/scene_writer.h"

// One triangle object as a 3D Studio file stores it: the writer's mesh
// (vertices with one mapping coordinate each, faces of vertex indices that
// 16 bits must hold, and the material that all its faces use) and the
// object's name.
struct NamedMesh : scene_writer::MeshData {
    std::string name;
};

// The largest vertex count that 16-bit face indices can address.
constexpr size_t kMaxMeshVertices = 65535;

// A point of a parametric surface for s and t in [0, 1].
using SurfaceFunction = std::function<Vec3(float s, float t)>;

// A grid of columns x rows quads over a parametric surface. The faces go row
// after row, two triangles per quad, so consecutive faces are neighbours on
// the surface and face pairs (2k, 2k + 1) form one quad. The mapping repeats
// the texture uRepeat times along s and vRepeat times along t; the seam
// vertices are doubled so that the mapping never wraps inside a face.
NamedMesh makeSurface(const std::string& name, const std::string& material, int columns, int rows,
                     const SurfaceFunction& point, float uRepeat, float vRepeat);

// A sphere around the origin; radius(s, t) lets the radius vary over the
// surface (s around the z axis, t from the south pole to the north pole).
NamedMesh makeSphere(const std::string& name, const std::string& material, int slices, int stacks,
                    const std::function<float(float s, float t)>& radius, float uRepeat, float vRepeat);

// A torus around the z axis through the origin.
NamedMesh makeTorus(const std::string& name, const std::string& material, int segments, int sides, float major,
                   float minor, float uRepeat, float vRepeat);

// A tube of the given radius along a curve c(s), s in [0, 1]; a closed curve
// (c(0) = c(1)) gives a closed tube. The cross-section is kept square to the
// curve and turned so that its first vertex points away from reference(s).
// One row of faces is one ring around the tube.
NamedMesh makeTube(const std::string& name, const std::string& material, int segments, int sides,
                  const std::function<Vec3(float s)>& curve, const std::function<Vec3(float s)>& reference, float radius,
                  float uRepeat, float vRepeat);

// Adds a box: centre plus or minus the three half-axes, which should be
// perpendicular. Each side gets its own four vertices and a full 0..1 mapping.
void appendBox(NamedMesh& mesh, Vec3 centre, Vec3 halfX, Vec3 halfY, Vec3 halfZ);

// Adds an axis-aligned box between two corners.
void appendAxisBox(NamedMesh& mesh, Vec3 lower, Vec3 upper);

// Adds every vertex and face of part to mesh.
void appendMesh(NamedMesh& mesh, const NamedMesh& part);

// Small vector helpers for building geometry.
Vec3 vec3Scale(Vec3 v, float factor);
Vec3 rotateAboutX(Vec3 v, float radians);
Vec3 rotateAboutY(Vec3 v, float radians);
Vec3 rotateAboutZ(Vec3 v, float radians);

// Applies f to every vertex of mesh.
void transformMesh(NamedMesh& mesh, const std::function<Vec3(Vec3)>& f);
