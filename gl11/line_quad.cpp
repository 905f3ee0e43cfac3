#include "gl11/line_quad.h"

#include <algorithm>
#include <cmath>

namespace {

struct Clip {
    float v[4];
};

Clip transformed(const Matrix4& m, const float p[3]) {
    const float* e = m.data();
    Clip c;
    for (int i = 0; i < 4; ++i) c.v[i] = e[i] * p[0] + e[4 + i] * p[1] + e[8 + i] * p[2] + e[12 + i];
    return c;
}

// Distance of c inside plane k of the view volume (x, y, z between -w and w).
float inside(const Clip& c, int k) {
    const float w = c.v[3];
    const float s = c.v[k / 2];
    return k % 2 == 0 ? w + s : w - s;
}

}  // namespace

void appendLineQuad(const Vertex& first, const Vertex& last, const Matrix4& transform, const PixelBox& viewport,
                    bool flat, std::vector<Vertex>& out) {
    // Faces that share an edge draw it twice, often in opposite directions.
    // Taken from the same end both times, the two quads are equal to the
    // last bit, so the second fails the depth test and the first face's
    // shade stays, as it nearly always does in Mesa.
    const bool turned = std::lexicographical_compare(last.position, last.position + 3, first.position,
                                                     first.position + 3);
    const Vertex& a = turned ? last : first;
    const Vertex& b = turned ? first : last;
    const Clip ca = transformed(transform, a.position);
    const Clip cb = transformed(transform, b.position);
    // Clipped as parameters along a->b.
    float t0 = 0.0f;
    float t1 = 1.0f;
    for (int k = 0; k < 6; ++k) {
        const float da = inside(ca, k);
        const float db = inside(cb, k);
        if (da < 0.0f && db < 0.0f) return;
        if (da < 0.0f) t0 = std::fmax(t0, da / (da - db));
        if (db < 0.0f) t1 = std::fmin(t1, da / (da - db));
    }
    if (t0 > t1) return;

    // Window coordinates of both ends, depth in normalized coordinates.
    float x[2], y[2], z[2];
    const float ts[2] = {t0, t1};
    for (int e = 0; e < 2; ++e) {
        float c[4];
        for (int i = 0; i < 4; ++i) c[i] = ca.v[i] + ts[e] * (cb.v[i] - ca.v[i]);
        const float invW = 1.0f / c[3];
        x[e] = c[0] * invW * (0.5f * float(viewport.width)) + (float(viewport.left) + 0.5f * float(viewport.width));
        y[e] = c[1] * invW * (0.5f * float(viewport.height)) + (float(viewport.bottom) + 0.5f * float(viewport.height));
        z[e] = c[2] * invW;
    }
    const float dx = x[1] - x[0];
    const float dy = y[1] - y[0];
    if (dx == 0.0f && dy == 0.0f) return;

    // Half a pixel to either side across the major axis.
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const float ox = xMajor ? 0.0f : 0.5f;
    const float oy = xMajor ? 0.5f : 0.0f;
    const float cornerX[4] = {x[0] - ox, x[1] - ox, x[1] + ox, x[0] + ox};
    const float cornerY[4] = {y[0] - oy, y[1] - oy, y[1] + oy, y[0] + oy};
    const float cornerZ[4] = {z[0], z[1], z[1], z[0]};
    const Vertex* ends[4] = {&a, &b, &b, &a};

    Vertex corner[4];
    for (int i = 0; i < 4; ++i) {
        corner[i] = *ends[i];
        corner[i].position[0] = (cornerX[i] - float(viewport.left)) / (0.5f * float(viewport.width)) - 1.0f;
        corner[i].position[1] = (cornerY[i] - float(viewport.bottom)) / (0.5f * float(viewport.height)) - 1.0f;
        corner[i].position[2] = cornerZ[i];
        if (flat)
            for (int c = 0; c < 3; ++c) corner[i].colour[c] = last.colour[c];
    }
    for (int i : {0, 1, 2, 0, 2, 3}) out.push_back(corner[i]);
}
