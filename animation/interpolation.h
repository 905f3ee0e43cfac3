#pragma once

#include "geometry/vector_math.h"

// Reshapes the local parameter u of a segment: a is the ease_from of the
// segment's first key, b the ease_to of its second key. The result is finite
// for every finite u, a and b.
float ease(float u, float a, float b);

// Cubic Hermite blend of one segment from P0 to P1 with tangents T0 and T1.
Vec3 hermite(Vec3 p0, Vec3 p1, Vec3 t0, Vec3 t1, float u);

// P0 + (P1 - P0) * u, per component.
Vec3 linearBlend(Vec3 p0, Vec3 p1, float u);

// (frame - from) / (to - from), the frame differences taken as integers and
// converted to float. A segment whose two keys share a frame has no length:
// it gives 1 from that frame on and 0 before it.
float segmentParameter(int frame, int from, int to);
