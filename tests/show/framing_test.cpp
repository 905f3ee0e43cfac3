// The 4:3 picture in frames of other shapes.

#include <gtest/gtest.h>

#include "shell/framing.h"

namespace {

void expectViewport(const Viewport& v, int left, int bottom, int width, int height, const char* what) {
    EXPECT_EQ(v.left, left) << what;
    EXPECT_EQ(v.bottom, bottom) << what;
    EXPECT_EQ(v.width, width) << what;
    EXPECT_EQ(v.height, height) << what;
}

TEST(Framing, PictureIsTheLargestCentredFourByThreeRectangle) {
    expectViewport(pictureViewport(kPictureWidth, kPictureHeight), 0, 0, kPictureWidth, kPictureHeight,
                   "the picture's own size is the picture itself");
    expectViewport(pictureViewport(1024, 768), 0, 0, 1024, 768, "a 4:3 full screen");
    expectViewport(pictureViewport(1920, 1080), 240, 0, 1440, 1080, "16:9: bars left and right");
    expectViewport(pictureViewport(480, 640), 0, 140, 480, 360, "portrait: bars above and below");
    // 4 x 500 / 3 = 666.7 and (1001 - 666) / 2 = 167.5: both rounded down.
    expectViewport(pictureViewport(1001, 500), 167, 0, 666, 500, "odd sizes round down");
    expectViewport(pictureViewport(1, 1), 0, 0, 1, 0, "a pixel");
}

TEST(Framing, ScaledViewportGrowsEveryField) {
    expectViewport(scaledViewport(pictureViewport(1001, 500), 3), 501, 0, 1998, 1500, "three times");
}

}  // namespace
