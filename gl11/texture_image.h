#pragma once

#include <cstdint>
#include <vector>

// One level of a texture, RGBA 4 bytes a texel, first row first. Luminance
// texels repeat their value in red, green and blue; texels without alpha
// have 255 there, so that modulating by the current colour gives what
// OpenGL 1.1 gives for each base format.
struct TextureLevel {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
};

// What gluBuild2DMipmaps makes of an image: a side that is not a power of
// two is first scaled to GLU's nearest power (3 * 2^n and above round up,
// below that down), each texel the average over its area; then each level
// is the box-filtered half of the one before, rounded as GLU rounds, down
// to 1x1. Texels of a shrunk side come within a level of GLU's; a side
// rounded up is stretched by area too, where GLU interpolates in its own
// way (the show's textures are all powers of two). With an unpack
// alignment other than 1 GLU reads its own later levels with that row
// padding, and shrinking the width alone it drops the last row; neither
// is copied.
class TextureImage {
public:
    // Reads width x height groups of the given format (GL_RGB, GL_RGBA,
    // GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_ALPHA) in unsigned bytes, rows
    // aligned to alignment bytes, and stores them with components 1 to 4
    // (luminance, luminance-alpha, RGB, RGBA) as OpenGL converts them: an
    // alpha image kept as luminance is black. Returns GL_NO_ERROR, or the
    // GLU error: GLU_INVALID_VALUE for a size below 1 or components out of
    // range, GLU_INVALID_ENUM for another format or type.
    // (The OpenGL types are spelt out, so that code built against the system's
    // OpenGL headers can use this too.)
    int build(int components, int width, int height, unsigned format, unsigned type, const void* data,
              int alignment);

    const std::vector<TextureLevel>& levels() const { return levels_; }

private:
    std::vector<TextureLevel> levels_;
};

// GLU's nearest power of two to value (value >= 1).
int nearestPowerOfTwo(int value);

// The box-filtered half of a level: 2x2 texels averaged with rounding, or 2
// texels averaged without rounding when one side is already 1.
TextureLevel halveLevel(const TextureLevel& level);
