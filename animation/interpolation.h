#pragma once

#include "geometry/vector_math.h"

// Reshapes the local parameter u of a segment: a is the ease_from of the
// segment's first key, b the ease_to of its second key.
float ease(float u, float a, float b);

// Cubic Hermite blend of one segment from P0 to P1 with tangents T0 and T1.
Vec3 hermite(Vec3 p0, Vec3 p1, Vec3 t0, Vec3 t1, float u);

// P0 + (P1 - P0) * u, per component.
Vec3 linearBlend(Vec3 p0, Vec3 p1, float u);
