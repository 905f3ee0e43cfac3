#pragma once

#include <cstdint>
#include <vector>

#include "geometry/vector_math.h"

// Scene files for the show's tests, built with ChunkWriter.

// One mesh object of faceCount triangles, side by side along x.
std::vector<uint8_t> stripSceneBytes(int faceCount);

// One camera object that looks from position at target.
std::vector<uint8_t> cameraSceneBytes(Vec3 position, Vec3 target);
