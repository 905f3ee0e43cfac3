#pragma once

#include <vector>

#include "gl11/draw_device.h"
#include "gl11/matrix4.h"

// A line segment of width 1 as two triangles, so that lines are filled by
// the device's triangle rasterizer, which fills what it is given, instead of
// its own line rules. The segment is transformed and clipped against the
// view volume here; the quad covers the pixel centres within half a pixel
// of it across its major axis, between its ends: the pixels that Mesa's
// software rasterizer fills for a line, but for the rule by which it
// decides on the pixel of each end. The six vertices come out in
// normalized device coordinates (draw them with an identity transform),
// the depth linear along the segment, each end with its own colour and
// texture coordinates (flat: both ends with the last vertex's colour, as
// OpenGL colours a flat line).
void appendLineQuad(const Vertex& first, const Vertex& last, const Matrix4& transform, const PixelBox& viewport,
                    bool flat, std::vector<Vertex>& out);
