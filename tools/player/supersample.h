#pragma once

#include "shell/framing.h"

// Smooth edges: a frame drawn at n times the width and height, each n x n
// block of its pixels averaged into one.

// Averages the blocks of the rectangle area of a picture width pixels wide:
// rgba holds the frame drawn n times larger, RGBA, and each pixel of out
// (RGBA, width pixels a row) inside area becomes the mean of its n x n
// block, each channel rounded to the nearest level. The pixels outside area
// are left as they are: the bars around the show's picture, black in every
// frame, need no averaging. The rows keep their order.
void averageBlocks(const unsigned char* rgba, int width, int n, const Viewport& area, unsigned char* out);
