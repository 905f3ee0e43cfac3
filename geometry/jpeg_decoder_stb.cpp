// JpegDecoder where libjpeg-turbo is not at hand (the web build): stb_image,
// JPEG only, from memory. Same contract as the libjpeg-turbo one
// (jpeg_decoder_turbo.cpp): a failure leaves the caller's checker.

#include "geometry/jpeg_decoder.h"

#include <climits>
#include <cstring>

// stb_image is included as a system header: its own warnings stay quiet.
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace {

// stb_image needs no decoder object; the handle only says the decoder is there.
int decoderPresent = 0;

bool fitsInt(std::size_t size) { return size > 0 && size <= std::size_t(INT_MAX); }

}  // namespace

JpegDecoder::JpegDecoder() : handle_(&decoderPresent) {}

JpegDecoder::~JpegDecoder() = default;

bool JpegDecoder::readParameters(const unsigned char* data, std::size_t size, int& width, int& height) {
    if (!handle_ || !data || !fitsInt(size)) return false;
    int w = 0;
    int h = 0;
    int components = 0;
    if (!stbi_info_from_memory(data, int(size), &w, &h, &components)) return false;
    if (w <= 0 || h <= 0) return false;
    width = w;
    height = h;
    return true;
}

bool JpegDecoder::readImage(const unsigned char* data, std::size_t size, unsigned char* buffer, int width,
                            int height, int channels) {
    if (!handle_ || !buffer || !data || !fitsInt(size) || (channels != 1 && channels != 3)) return false;
    int w = 0;
    int h = 0;
    int components = 0;
    unsigned char* pixels = stbi_load_from_memory(data, int(size), &w, &h, &components, channels);
    if (!pixels) return false;
    const bool same = w == width && h == height;
    if (same) std::memcpy(buffer, pixels, std::size_t(w) * std::size_t(h) * std::size_t(channels));
    stbi_image_free(pixels);
    return same;
}
