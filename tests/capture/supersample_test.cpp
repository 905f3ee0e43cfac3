#include <gtest/gtest.h>

#include <vector>

#include "tools/capture/supersample.h"

namespace {

// One channel value per pixel, spread to RGBA with alpha 255.
std::vector<unsigned char> rgba(const std::vector<int>& grey) {
    std::vector<unsigned char> out;
    for (int g : grey) out.insert(out.end(), {(unsigned char)g, (unsigned char)g, (unsigned char)g, 255});
    return out;
}

TEST(Supersample, EachBlockBecomesItsRoundedMean) {
    // A 4x2 picture of two 2x2 blocks: (0 + 255 + 0 + 255) / 4 = 127.5 rounds
    // up to 128; (2 + 0 + 0 + 0) / 4 = 0.5 rounds up to 1, 1 / 4 down to 0.
    const std::vector<unsigned char> in = rgba({0, 255, 2, 0,  //
                                                0, 255, 0, 0});
    std::vector<unsigned char> out(2 * 4);
    averageBlocks(in.data(), 2, 2, Viewport{0, 0, 2, 1}, out.data());
    EXPECT_EQ(out, (std::vector<unsigned char>{128, 128, 128, 255, 1, 1, 1, 255}));
}

TEST(Supersample, RowsKeepTheirOrderAndBlocksOfThreeAverageNinePixels) {
    // 3x6: the bottom block (first rows) all 9, the top block 0 but one 90.
    std::vector<int> grey(18, 9);
    for (int i = 9; i < 18; ++i) grey[size_t(i)] = i == 13 ? 90 : 0;
    const std::vector<unsigned char> in = rgba(grey);
    std::vector<unsigned char> out(2 * 4);
    averageBlocks(in.data(), 1, 3, Viewport{0, 0, 1, 2}, out.data());
    EXPECT_EQ(out, (std::vector<unsigned char>{9, 9, 9, 255, 10, 10, 10, 255}));
}

TEST(Supersample, OnlyTheAreaIsAveragedAndTheRestLeftAsItIs) {
    // A 3x2 picture drawn twice as large, all 200; only its middle column
    // of the top row is averaged.
    const std::vector<unsigned char> in = rgba(std::vector<int>(6 * 4, 200));
    std::vector<unsigned char> out(3 * 2 * 4, 7);
    averageBlocks(in.data(), 3, 2, Viewport{1, 1, 1, 1}, out.data());
    for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], i >= 16 && i < 20 ? (i == 19 ? 255 : 200) : 7) << i;
}

}  // namespace
