#include "geometry/jpeg_decoder.h"

#include <turbojpeg.h>

JpegDecoder::JpegDecoder() : handle_(tjInitDecompress()) {}

JpegDecoder::~JpegDecoder() {
    if (handle_) tjDestroy(handle_);
}

bool JpegDecoder::readParameters(const unsigned char* data, std::size_t size, int& width, int& height) {
    if (!handle_ || !data || size == 0) return false;
    int subsampling = 0;
    int colorspace = 0;
    int w = 0;
    int h = 0;
    if (tjDecompressHeader3(handle_, data, static_cast<unsigned long>(size), &w, &h, &subsampling, &colorspace) != 0) {
        return false;
    }
    if (w <= 0 || h <= 0) return false;
    width = w;
    height = h;
    return true;
}

bool JpegDecoder::readImage(const unsigned char* data, std::size_t size, unsigned char* buffer, int width,
                            int height, int channels) {
    if (!handle_ || !buffer || (channels != 1 && channels != 3)) return false;
    // libjpeg-turbo would scale the image to a size asked for that is not
    // its own: the buffer is for the image's size alone.
    int ownWidth = 0;
    int ownHeight = 0;
    if (!readParameters(data, size, ownWidth, ownHeight) || ownWidth != width || ownHeight != height) return false;
    const int format = channels == 1 ? TJPF_GRAY : TJPF_RGB;
    return tjDecompress2(handle_, data, static_cast<unsigned long>(size), buffer, width, 0, height, format, 0) == 0;
}
