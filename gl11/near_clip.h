#pragma once

#include <vector>

#include "gl11/draw_device.h"
#include "gl11/matrix4.h"

// A triangle clipped against the near plane of the view volume (z = -w in
// clip coordinates) before the device sees it: the part in front comes out
// as one or two triangles, a triangle wholly behind as none, one wholly in
// front as it was. OpenGL clips there too, so nothing drawn changes, but
// the device then never meets a vertex in or behind the eye's plane, where
// w is 0 or less. Such a vertex has no place on the screen, and SwiftShader
// (Chromium's WebGL without a graphics card) sets up a triangle's
// interpolation from its corners' places on the screen before it clips:
// with one corner at w = 0 every varying keeps one corner's value over the
// whole triangle, and the texture shows as one flat colour.
//
// The corners keep object coordinates, to be drawn with transform. A new
// corner lies where an edge meets the plane, found from the corner in front
// towards the one behind, so that two triangles that share the edge meet
// there to the bit; its texture coordinates and colour are interpolated
// along the edge as OpenGL interpolates them. Flat: every corner carries
// the last corner's colour, as OpenGL colours a flat triangle.
// triangle points at its three corners.
void appendNearClipped(const Vertex* triangle, const Matrix4& transform, bool flat, std::vector<Vertex>& out);
