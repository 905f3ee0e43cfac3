#include "gl11/texture_image.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstddef>

namespace {

// The RGBA of one source group, as OpenGL 1.1 widens a pixel group before
// it keeps the components of the internal format.
void widen(unsigned format, const uint8_t* group, uint8_t rgba[4]) {
    switch (format) {
    case GL_RGB:
        rgba[0] = group[0], rgba[1] = group[1], rgba[2] = group[2], rgba[3] = 255;
        break;
    case GL_RGBA:
        rgba[0] = group[0], rgba[1] = group[1], rgba[2] = group[2], rgba[3] = group[3];
        break;
    case GL_LUMINANCE:
        rgba[0] = rgba[1] = rgba[2] = group[0], rgba[3] = 255;
        break;
    case GL_LUMINANCE_ALPHA:
        rgba[0] = rgba[1] = rgba[2] = group[0], rgba[3] = group[1];
        break;
    default:  // GL_ALPHA
        rgba[0] = rgba[1] = rgba[2] = 0, rgba[3] = group[0];
        break;
    }
}

// Keeps the components of the internal format: luminance is red.
void keep(int components, uint8_t rgba[4]) {
    if (components <= 2) rgba[1] = rgba[2] = rgba[0];
    if (components == 1 || components == 3) rgba[3] = 255;
}

int groupBytes(unsigned format) {
    switch (format) {
    case GL_RGB:
        return 3;
    case GL_RGBA:
        return 4;
    case GL_LUMINANCE_ALPHA:
        return 2;
    case GL_LUMINANCE:
    case GL_ALPHA:
        return 1;
    default:
        return 0;
    }
}

// Area-weighted average onto a new size, as gluScaleImage does for bytes.
TextureLevel scaleLevel(const TextureLevel& in, int width, int height) {
    TextureLevel out;
    out.width = width;
    out.height = height;
    out.rgba.resize(std::size_t(width) * std::size_t(height) * 4);
    const double sx = double(in.width) / width;
    const double sy = double(in.height) / height;
    for (int y = 0; y < height; ++y) {
        const double y0 = y * sy, y1 = y0 + sy;
        for (int x = 0; x < width; ++x) {
            const double x0 = x * sx, x1 = x0 + sx;
            double sum[4] = {0, 0, 0, 0};
            double area = 0;
            for (int iy = int(y0); iy < in.height && iy < y1; ++iy) {
                const double hy = (iy + 1 < y1 ? iy + 1 : y1) - (iy > y0 ? iy : y0);
                for (int ix = int(x0); ix < in.width && ix < x1; ++ix) {
                    const double w = hy * ((ix + 1 < x1 ? ix + 1 : x1) - (ix > x0 ? ix : x0));
                    const uint8_t* p = in.rgba.data() + (std::size_t(iy) * std::size_t(in.width) + std::size_t(ix)) * 4;
                    for (int c = 0; c < 4; ++c) sum[c] += w * p[c];
                    area += w;
                }
            }
            uint8_t* q = out.rgba.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
            for (int c = 0; c < 4; ++c) q[c] = uint8_t(sum[c] / area + 0.5);
        }
    }
    return out;
}

}  // namespace

int nearestPowerOfTwo(int value) {
    int power = 1;
    for (unsigned v = unsigned(value);; v >>= 1, power *= 2) {
        if (v == 1) return power;
        if (v == 3) return power * 4;
    }
}

TextureLevel halveLevel(const TextureLevel& in) {
    TextureLevel out;
    out.width = in.width > 1 ? in.width / 2 : 1;
    out.height = in.height > 1 ? in.height / 2 : 1;
    out.rgba.resize(std::size_t(out.width) * std::size_t(out.height) * 4);
    const std::size_t row = std::size_t(in.width) * 4;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            uint8_t* q = out.rgba.data() + (std::size_t(y) * std::size_t(out.width) + std::size_t(x)) * 4;
            if (in.width > 1 && in.height > 1) {
                const uint8_t* p = in.rgba.data() + std::size_t(2 * y) * row + std::size_t(2 * x) * 4;
                for (int c = 0; c < 4; ++c) q[c] = uint8_t((p[c] + p[4 + c] + p[row + c] + p[row + 4 + c] + 2) / 4);
            } else {
                // One row or one column: neighbours along it, no rounding.
                const std::size_t step = in.height == 1 ? 4 : row;
                const uint8_t* p = in.rgba.data() + std::size_t(2 * (x + y)) * step;
                for (int c = 0; c < 4; ++c) q[c] = uint8_t((p[c] + p[step + c]) / 2);
            }
        }
    }
    return out;
}

int TextureImage::build(int components, int width, int height, unsigned format, unsigned type, const void* data,
                        int alignment) {
    levels_.clear();
    if (width < 1 || height < 1 || components < 1 || components > 4) return GLU_INVALID_VALUE;
    const int group = groupBytes(format);
    if (group == 0 || type != GL_UNSIGNED_BYTE) return GLU_INVALID_ENUM;
    if (alignment != 1 && alignment != 2 && alignment != 4 && alignment != 8) alignment = 4;

    TextureLevel base;
    base.width = width;
    base.height = height;
    base.rgba.resize(std::size_t(width) * std::size_t(height) * 4);
    const std::size_t packed = std::size_t(width) * std::size_t(group);
    const std::size_t stride = (packed + std::size_t(alignment) - 1) / std::size_t(alignment) * std::size_t(alignment);
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* texel = base.rgba.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
            widen(format, bytes + std::size_t(y) * stride + std::size_t(x) * std::size_t(group), texel);
            keep(components, texel);
        }
    }

    const int powerWidth = nearestPowerOfTwo(width);
    const int powerHeight = nearestPowerOfTwo(height);
    if (powerWidth != width || powerHeight != height) base = scaleLevel(base, powerWidth, powerHeight);
    levels_.push_back(std::move(base));
    while (levels_.back().width > 1 || levels_.back().height > 1) levels_.push_back(halveLevel(levels_.back()));
    return GL_NO_ERROR;
}
