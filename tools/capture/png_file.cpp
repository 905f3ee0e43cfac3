#include "tools/capture/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

std::string pngMessage(const png_image& image) { return image.message[0] ? image.message : "libpng failed"; }

}  // namespace

RgbPicture uprightRgb(const unsigned char* rgbaBottomUp, int width, int height) {
    RgbPicture p;
    p.width = width;
    p.height = height;
    p.rgb.resize(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        const unsigned char* from = rgbaBottomUp + size_t(height - 1 - y) * size_t(width) * 4;
        unsigned char* to = p.rgb.data() + size_t(y) * size_t(width) * 3;
        for (int x = 0; x < width; ++x) {
            to[3 * x] = from[4 * x];
            to[3 * x + 1] = from[4 * x + 1];
            to[3 * x + 2] = from[4 * x + 2];
        }
    }
    return p;
}

bool writePng(const std::string& path, const RgbPicture& picture, std::string* error) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(picture.width);
    image.height = png_uint_32(picture.height);
    image.format = PNG_FORMAT_RGB;
    // Frames are many and written once: speed over the last few per cent of size.
    image.flags = PNG_IMAGE_FLAG_FAST;
    const bool written = png_image_write_to_stdio(&image, file, 0, picture.rgb.data(), 0, nullptr) != 0;
    if (!written) *error = path + ": " + pngMessage(image);
    png_image_free(&image);
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    const int flushErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && (!flushed || !closed)) *error = path + ": " + std::strerror(flushed ? errno : flushErrno);
    return written && flushed && closed;
}

bool readPng(const std::string& path, RgbPicture* picture, std::string* error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        *error = path + ": " + pngMessage(image);
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    RgbPicture p;
    p.width = int(image.width);
    p.height = int(image.height);
    p.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr)) {
        *error = path + ": " + pngMessage(image);
        png_image_free(&image);
        return false;
    }
    *picture = std::move(p);
    return true;
}
