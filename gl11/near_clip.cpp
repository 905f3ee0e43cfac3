#include "gl11/near_clip.h"

namespace {

// z + w in clip coordinates: 0 on the near plane, positive in front of it.
float nearDistance(const Matrix4& m, const float p[3]) {
    const float* e = m.data();
    const float z = e[2] * p[0] + e[6] * p[1] + e[10] * p[2] + e[14];
    const float w = e[3] * p[0] + e[7] * p[1] + e[11] * p[2] + e[15];
    return z + w;
}

// The point a share t of the way from a to b.
Vertex between(const Vertex& a, const Vertex& b, float t) {
    Vertex v = a;
    for (int i = 0; i < 3; ++i) v.position[i] = a.position[i] + t * (b.position[i] - a.position[i]);
    for (int i = 0; i < 2; ++i) v.texCoord[i] = a.texCoord[i] + t * (b.texCoord[i] - a.texCoord[i]);
    for (int i = 0; i < 3; ++i) v.colour[i] = a.colour[i] + t * (b.colour[i] - a.colour[i]);
    return v;
}

}  // namespace

void appendNearClipped(const Vertex* triangle, const Matrix4& transform, bool flat, std::vector<Vertex>& out) {
    float d[3];
    int inFront = 0;
    for (int i = 0; i < 3; ++i) {
        d[i] = nearDistance(transform, triangle[i].position);
        inFront += d[i] >= 0.0f ? 1 : 0;
    }
    if (inFront == 3) {
        out.insert(out.end(), triangle, triangle + 3);
        return;
    }
    if (inFront == 0) return;

    // The corners in front and a new one on each edge that crosses the
    // plane, in the triangle's order, so that its winding stays: three or
    // four corners, drawn as a fan.
    Vertex polygon[4];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        const Vertex& a = triangle[i];
        const Vertex& b = triangle[j];
        if (d[i] >= 0.0f) polygon[n++] = a;
        if ((d[i] >= 0.0f) != (d[j] >= 0.0f))
            polygon[n++] = d[i] >= 0.0f ? between(a, b, d[i] / (d[i] - d[j])) : between(b, a, d[j] / (d[j] - d[i]));
    }
    if (flat)
        for (int k = 0; k < n; ++k)
            for (int c = 0; c < 3; ++c) polygon[k].colour[c] = triangle[2].colour[c];
    for (int k = 2; k < n; ++k) {
        out.push_back(polygon[0]);
        out.push_back(polygon[k - 1]);
        out.push_back(polygon[k]);
    }
}
