#pragma once

// A rectangle of a frame's pixels, as glViewport takes it: its lower left
// corner and its size.
struct Viewport {
    int left = 0;
    int bottom = 0;
    int width = 0;
    int height = 0;
};
