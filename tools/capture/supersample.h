#pragma once

// Smooth edges: a frame drawn at n times the width and height, each n x n
// block of its pixels averaged into one.

// Averages the RGBA picture rgba of (n * width) x (n * height) pixels into
// out, width x height RGBA pixels, each channel rounded to the nearest
// level. The rows keep their order.
void averageBlocks(const unsigned char* rgba, int width, int height, int n, unsigned char* out);
