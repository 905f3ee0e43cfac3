#include "titles/mesh_builder.h"

#include <cmath>
#include <stdexcept>

namespace {

// Index of the next vertex to be added, refused when 16 bits cannot hold it.
int nextIndex(const NamedMesh& mesh, size_t added) {
    if (mesh.vertices.size() + added > kMaxMeshVertices)
        throw std::length_error("mesh " + mesh.name + " needs more than 65535 vertices");
    return int(mesh.vertices.size());
}

float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

Vec3 vec3Scale(Vec3 v, float factor) { return Vec3{v.x * factor, v.y * factor, v.z * factor}; }

Vec3 rotateAboutX(Vec3 v, float radians) {
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    return Vec3{v.x, c * v.y - s * v.z, s * v.y + c * v.z};
}

Vec3 rotateAboutY(Vec3 v, float radians) {
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    return Vec3{c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
}

Vec3 rotateAboutZ(Vec3 v, float radians) {
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    return Vec3{c * v.x - s * v.y, s * v.x + c * v.y, v.z};
}

NamedMesh makeSurface(const std::string& name, const std::string& material, int columns, int rows,
                     const SurfaceFunction& point, float uRepeat, float vRepeat) {
    if (columns < 1 || rows < 1) throw std::invalid_argument("surface " + name + " needs at least one quad");
    NamedMesh mesh;
    mesh.name = name;
    mesh.material = material;
    const size_t stride = size_t(columns) + 1;
    const int first = nextIndex(mesh, stride * (size_t(rows) + 1));
    for (int r = 0; r <= rows; ++r) {
        const float t = float(r) / float(rows);
        for (int c = 0; c <= columns; ++c) {
            const float s = float(c) / float(columns);
            mesh.vertices.push_back(point(s, t));
            mesh.mappings.push_back(MapCoord{s * uRepeat, t * vRepeat});
        }
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const int v00 = first + r * int(stride) + c;
            const int v10 = v00 + 1;
            const int v01 = v00 + int(stride);
            const int v11 = v01 + 1;
            // The triangle on the quad's left edge first, then the one on its
            // right edge, which the next quad's first triangle shares: every
            // face touches the one before it.
            mesh.faces.push_back(Face{v00, v11, v01});
            mesh.faces.push_back(Face{v00, v10, v11});
        }
    }
    return mesh;
}

NamedMesh makeSphere(const std::string& name, const std::string& material, int slices, int stacks,
                    const std::function<float(float s, float t)>& radius, float uRepeat, float vRepeat) {
    auto point = [&radius](float s, float t) {
        const float longitude = s * kTwoPi;
        const float latitude = (t - 0.5f) * kPi;
        const float r = radius(s, t);
        return Vec3{r * std::cos(latitude) * std::cos(longitude), r * std::cos(latitude) * std::sin(longitude),
                    r * std::sin(latitude)};
    };
    return makeSurface(name, material, slices, stacks, point, uRepeat, vRepeat);
}

NamedMesh makeTorus(const std::string& name, const std::string& material, int segments, int sides, float major,
                   float minor, float uRepeat, float vRepeat) {
    auto point = [major, minor](float s, float t) {
        const float around = s * kTwoPi;
        const float tube = t * kTwoPi;
        const float r = major + minor * std::cos(tube);
        return Vec3{r * std::cos(around), r * std::sin(around), minor * std::sin(tube)};
    };
    return makeSurface(name, material, segments, sides, point, uRepeat, vRepeat);
}

NamedMesh makeTube(const std::string& name, const std::string& material, int segments, int sides,
                  const std::function<Vec3(float s)>& curve, const std::function<Vec3(float s)>& reference, float radius,
                  float uRepeat, float vRepeat) {
    // A closed curve is taken to continue periodically past its ends, so that
    // both ends of the tube get the same ring; an open one is not followed
    // past its ends.
    const bool closed = vec3Length(vec3Subtract(curve(1.0f), curve(0.0f))) < 1e-3f;
    // Rows run along the curve and columns around it.
    auto point = [&, segments, closed](float s, float t) {
        const float step = 0.5f / float(segments);
        const Vec3 centre = curve(t);
        const float ahead = !closed && t + step > 1.0f ? 1.0f : t + step;
        const float behind = !closed && t - step < 0.0f ? 0.0f : t - step;
        const Vec3 tangent = vec3Normalize(vec3Subtract(curve(ahead), curve(behind)));
        Vec3 out = vec3Subtract(centre, reference(t));
        out = vec3Normalize(vec3Subtract(out, vec3Scale(tangent, dot(out, tangent))));
        const Vec3 side = vec3Cross(tangent, out);
        const float angle = s * kTwoPi;
        const Vec3 offset = vec3Add(vec3Scale(out, radius * std::cos(angle)), vec3Scale(side, radius * std::sin(angle)));
        return vec3Add(centre, offset);
    };
    return makeSurface(name, material, sides, segments, point, uRepeat, vRepeat);
}

void appendBox(NamedMesh& mesh, Vec3 centre, Vec3 halfX, Vec3 halfY, Vec3 halfZ) {
    // Each side: its outward half-axis and the two half-axes spanning it, in
    // an order that makes the corners run counter-clockwise seen from outside.
    struct Side {
        Vec3 normal, across, up;
    };
    const Vec3 minusX = vec3Scale(halfX, -1.0f);
    const Vec3 minusY = vec3Scale(halfY, -1.0f);
    const Vec3 minusZ = vec3Scale(halfZ, -1.0f);
    const Side sides[6] = {
        {minusY, halfX, halfZ}, {halfX, halfY, halfZ}, {halfY, minusX, halfZ},
        {minusX, minusY, halfZ}, {halfZ, halfX, halfY}, {minusZ, halfX, minusY},
    };
    for (const Side& side : sides) {
        const int first = nextIndex(mesh, 4);
        const Vec3 middle = vec3Add(centre, side.normal);
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& corner : corners) {
            const Vec3 p = vec3Add(middle, vec3Add(vec3Scale(side.across, corner[0]), vec3Scale(side.up, corner[1])));
            mesh.vertices.push_back(p);
            mesh.mappings.push_back(MapCoord{(corner[0] + 1.0f) * 0.5f, (corner[1] + 1.0f) * 0.5f});
        }
        mesh.faces.push_back(Face{first, first + 1, first + 2});
        mesh.faces.push_back(Face{first, first + 2, first + 3});
    }
}

void appendAxisBox(NamedMesh& mesh, Vec3 lower, Vec3 upper) {
    const Vec3 centre = vec3Scale(vec3Add(lower, upper), 0.5f);
    const Vec3 half = vec3Scale(vec3Subtract(upper, lower), 0.5f);
    appendBox(mesh, centre, Vec3{half.x, 0, 0}, Vec3{0, half.y, 0}, Vec3{0, 0, half.z});
}

void appendMesh(NamedMesh& mesh, const NamedMesh& part) {
    const int first = nextIndex(mesh, part.vertices.size());
    mesh.vertices.insert(mesh.vertices.end(), part.vertices.begin(), part.vertices.end());
    mesh.mappings.insert(mesh.mappings.end(), part.mappings.begin(), part.mappings.end());
    for (const Face& f : part.faces) mesh.faces.push_back(Face{first + f.i0, first + f.i1, first + f.i2});
}

void transformMesh(NamedMesh& mesh, const std::function<Vec3(Vec3)>& f) {
    for (Vec3& v : mesh.vertices) v = f(v);
}
