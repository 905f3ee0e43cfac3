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
    if (!handle_ || !buffer) return false;
    int format = channels == 1 ? TJPF_GRAY : TJPF_RGB;
    return tjDecompress2(handle_, data, static_cast<unsigned long>(size), buffer, width, 0, height, format, 0) == 0;
}
