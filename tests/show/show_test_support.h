#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/vector_math.h"
#include "shell/demo_clock.h"

// Scene files for the show's tests, built with ChunkWriter.

// One mesh object of faceCount unit triangles, side by side along x in the
// plane z = 0. With a material name, the file also holds that material
// (without a texture) and the mesh uses it.
std::vector<uint8_t> stripSceneBytes(int faceCount, const std::string& material = "");

// One camera object that looks from position at target.
std::vector<uint8_t> cameraSceneBytes(Vec3 position, Vec3 target);

struct ShellState;

// A key pressed in a show that plays to its built-in timing.
void press(ShellState& state, int key);

// A counter that a test moves: a thousand to the second, standing still
// until told to move, whatever the machine is busy with.
class TestCounter : public Counter {
public:
    explicit TestCounter(int64_t now) : now_(now) {}
    int64_t now() const override { return now_; }
    int64_t frequency() const override { return 1000; }
    void advance(int64_t milliseconds) { now_ += milliseconds; }

private:
    int64_t now_;
};
