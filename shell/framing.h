#pragma once

#include "geometry/viewport.h"

// The show's picture is 4:3. In a frame of any other shape (a wide screen, a
// portrait video) it is drawn as large as fits, centred, with black bars on
// the two other sides: the projection stays the show's, only the viewport
// changes.

// The picture's own size in pixels: the show's window, orvel-capture's
// frames unless told otherwise, and the page's canvas.
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

// The widest drawing buffer the page makes for the picture, however large
// the screen, and the largest side its benchmark draws.
constexpr int kMaxCanvasSide = 2048;

// The largest 4:3 rectangle of a width x height frame, centred: width
// min(W, 4H/3), height min(H, 3W/4), each rounded down, and as many pixels
// left and below as the rounding down of half the rest.
Viewport pictureViewport(int width, int height);

// The rectangle at factor times its size, for a frame drawn that much larger.
Viewport scaledViewport(const Viewport& viewport, int factor);
