#pragma once

#include <array>
#include <cstdint>

// Grey shades for the outline style, one per face number. The table comes
// from a generator that is never seeded, so it is the same on every run.
constexpr int kShadeCount = 24000;
using ShadeTable = std::array<int8_t, kShadeCount>;

// The C library's classic linear congruential generator, with its state
// starting at 1: the draws are 41, 18467, 6334, ...
class ShadeRandom {
public:
    int next();

private:
    uint32_t state_ = 1;
};

// shadeTable[i] = r mod 92 + 32 for the i-th draw r: every shade lies in 32..123.
void fillShadeTable(ShadeTable& table);

// The shade of face number face. Meshes with more faces than the table holds
// wrap around rather than read past it.
int8_t shadeOfFace(const ShadeTable& table, int face);
