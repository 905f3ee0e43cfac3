// The contract of the JPEG decoder, held by each of its backends: this file
// is built once per backend (libjpeg-turbo for the native build, stb_image
// for the builds without it), each test program linking only its own.

#include "geometry/jpeg_decoder.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cstdlib>
#include <vector>

namespace {

// A smooth picture (a JPEG keeps it to within a few levels at quality
// 100), RGB or grey, encoded with libjpeg-turbo.
struct Encoded {
    std::vector<unsigned char> pixels;
    std::vector<unsigned char> jpeg;
};

Encoded encode(int width, int height, int channels) {
    Encoded e;
    e.pixels.resize(size_t(width) * size_t(height) * size_t(channels));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                e.pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels) + size_t(c)] =
                    static_cast<unsigned char>(40 + x * 2 + y + c * 30);
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(handle, e.pixels.data(), width, 0, height, channels == 1 ? TJPF_GRAY : TJPF_RGB,
                               &jpeg, &size, channels == 1 ? TJSAMP_GRAY : TJSAMP_444, 100, 0);
    tjDestroy(handle);
    EXPECT_EQ(rc, 0);
    if (rc == 0) e.jpeg.assign(jpeg, jpeg + size);
    tjFree(jpeg);
    return e;
}

int largestDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(int(a[i]) - int(b[i])));
    return largest;
}

TEST(JpegDecoder, ReadsTheSizeAndTheRgbAndGreyPixels) {
    for (int channels : {3, 1}) {
        const Encoded e = encode(48, 32, channels);
        JpegDecoder decoder;
        ASSERT_TRUE(decoder.ok());
        int width = 0;
        int height = 0;
        ASSERT_TRUE(decoder.readParameters(e.jpeg.data(), e.jpeg.size(), width, height)) << channels;
        EXPECT_EQ(width, 48);
        EXPECT_EQ(height, 32);
        std::vector<unsigned char> decoded(e.pixels.size());
        ASSERT_TRUE(decoder.readImage(e.jpeg.data(), e.jpeg.size(), decoded.data(), 48, 32, channels)) << channels;
        EXPECT_LE(largestDifference(decoded, e.pixels), 3) << channels << " channels";
    }
}

TEST(JpegDecoder, RefusesDataThatIsNoWholeJpegOrOfAnotherSize) {
    const Encoded e = encode(16, 16, 3);
    JpegDecoder decoder;
    int width = 0;
    int height = 0;
    const std::vector<unsigned char> text = {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'};
    EXPECT_FALSE(decoder.readParameters(text.data(), text.size(), width, height));
    EXPECT_FALSE(decoder.readParameters(e.jpeg.data(), 2, width, height)) << "a header cut short";
    EXPECT_FALSE(decoder.readParameters(nullptr, 0, width, height));
    std::vector<unsigned char> decoded(16 * 16 * 3);
    EXPECT_FALSE(decoder.readImage(e.jpeg.data(), e.jpeg.size(), decoded.data(), 8, 16, 3)) << "another width";
    EXPECT_FALSE(decoder.readImage(e.jpeg.data(), e.jpeg.size(), decoded.data(), 16, 16, 4)) << "four channels";
    EXPECT_FALSE(decoder.readImage(text.data(), text.size(), decoded.data(), 16, 16, 3));
}

}  // namespace
