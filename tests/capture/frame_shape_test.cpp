// The show's 4:3 picture in frames of other shapes, and supersampled.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/capture/show_frames.h"

namespace {

constexpr int kFps = 30;
// The opening, seen from inside its object, fills the whole picture; the
// first title is white letters on black; the outlines are one-pixel lines.
constexpr long kOpening = 30;
constexpr long kTitle = 210;
constexpr long kOutlines = 468;

// Pixels of picture, from (x0, y0) counted from the top left, that differ
// from reference by more than 24 levels in a channel. The rasteriser is the
// same, but a texture is sampled a level apart here and there when the
// picture lies elsewhere in the frame.
long differingPixels(const RgbPicture& picture, int x0, int y0, const RgbPicture& reference) {
    long differing = 0;
    for (int y = 0; y < reference.height; ++y)
        for (int x = 0; x < reference.width; ++x) {
            const unsigned char* p = &picture.rgb[size_t(((y0 + y) * picture.width + x0 + x) * 3)];
            const unsigned char* r = &reference.rgb[size_t((y * reference.width + x) * 3)];
            for (int c = 0; c < 3; ++c)
                if (std::abs(int(p[c]) - int(r[c])) > 24) {
                    ++differing;
                    break;
                }
        }
    return differing;
}

// Pixels outside the rectangle (x0, y0, width, height) that are not black.
long litOutside(const RgbPicture& picture, int x0, int y0, int width, int height) {
    long lit = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const bool inside = x >= x0 && x < x0 + width && y >= y0 && y < y0 + height;
            const unsigned char* p = &picture.rgb[size_t((y * picture.width + x) * 3)];
            if (!inside && (p[0] || p[1] || p[2])) ++lit;
        }
    return lit;
}

double meanLevel(const RgbPicture& picture) {
    double sum = 0.0;
    for (unsigned char c : picture.rgb) sum += c;
    return sum / double(picture.rgb.size());
}

long intermediateLevels(const RgbPicture& picture) {
    long n = 0;
    for (unsigned char c : picture.rgb) n += c > 16 && c < 240;
    return n;
}

TEST(FrameShape, WideAndTallFramesCentreThePictureBetweenBlackBars) {
    const std::set<long> frames = {kOpening, kTitle};
    const Pictures picture = renderFrames(frames, kFps, 240, 180);
    const Pictures wide = renderFrames(frames, kFps, 320, 180);
    // 180 x 135 from the bottom at 52, so from the top at 240 - 52 - 135 = 53.
    const Pictures tall = renderFrames(frames, kFps, 180, 240);
    const Pictures small = renderFrames(frames, kFps, 180, 135);
    for (long k : frames) {
        ASSERT_TRUE(picture.count(k) && wide.count(k) && tall.count(k) && small.count(k)) << "frame " << k;
        EXPECT_EQ(litOutside(wide.at(k), 40, 0, 240, 180), 0) << "16:9, frame " << k;
        EXPECT_LE(differingPixels(wide.at(k), 40, 0, picture.at(k)), 240 * 180 / 400) << "16:9, frame " << k;
        EXPECT_EQ(litOutside(tall.at(k), 0, 53, 180, 135), 0) << "3:4, frame " << k;
        EXPECT_LE(differingPixels(tall.at(k), 0, 53, small.at(k)), 180 * 135 / 400) << "3:4, frame " << k;
    }
    EXPECT_GT(meanLevel(picture.at(kOpening)), 20.0) << "the opening should fill the picture";
}

TEST(FrameShape, SupersamplingSmoothsEdgesAndKeepsTheLinesWeight) {
    const std::set<long> frames = {kTitle, kOutlines};
    const Pictures plain = renderFrames(frames, kFps, 320, 240);
    const Pictures smooth = renderFrames(frames, kFps, 320, 240, 2);
    ASSERT_TRUE(plain.count(kTitle) && smooth.count(kTitle) && plain.count(kOutlines) && smooth.count(kOutlines));
    // White letters on black: hard edges have no level in between, averaged
    // ones many.
    EXPECT_EQ(intermediateLevels(plain.at(kTitle)), 0);
    EXPECT_GT(intermediateLevels(smooth.at(kTitle)), 300);
    EXPECT_NEAR(meanLevel(smooth.at(kTitle)), meanLevel(plain.at(kTitle)), 0.05 * meanLevel(plain.at(kTitle)));
    // Lines drawn one pixel wide at twice the size would average to half
    // their brightness; drawn two pixels wide they keep it.
    EXPECT_NEAR(meanLevel(smooth.at(kOutlines)), meanLevel(plain.at(kOutlines)),
                0.15 * meanLevel(plain.at(kOutlines)));
}

}  // namespace
