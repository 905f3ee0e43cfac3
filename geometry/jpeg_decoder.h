#pragma once

#include <cstddef>

// A JPEG decoder in the three steps that texture loading takes: open a
// decoder, read the image parameters, read the whole image into a tightly
// packed RGB or grey buffer.
class JpegDecoder {
public:
    JpegDecoder();
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    bool ok() const { return handle_ != nullptr; }
    // Reads width and height; false when the data is not a JPEG image or
    // names no size (a header cut short).
    bool readParameters(const unsigned char* data, std::size_t size, int& width, int& height);
    // Decodes the image into buffer, width * height * channels bytes, first
    // row first; channels is 3 (RGB) or 1 (grey).
    bool readImage(const unsigned char* data, std::size_t size, unsigned char* buffer, int width, int height,
                   int channels);

private:
    void* handle_;
};
