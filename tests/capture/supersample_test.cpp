#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tools/player/supersample.h"

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

// A block of n x n pixels whose values add up to sum: spread evenly, or
// piled up, 255 in as many pixels as it fills and the rest in the next.
unsigned char evenShare(int sum, int n, int pixel) { return (unsigned char)(sum / (n * n) + (pixel < sum % (n * n))); }
unsigned char piledShare(int sum, int pixel) { return (unsigned char)std::clamp(sum - 255 * pixel, 0, 255); }

TEST(Supersample, EveryBlockSumAveragesToItsMeanRoundedHalfUp) {
    for (int n = 1; n <= 4; ++n) {
        const int area = n * n;
        const int full = 255 * area;
        // Every sum once, in a row of blocks, which are averaged two at a
        // time (and the last alone), and in a column, one at a time.
        for (const bool row : {true, false}) {
            const int width = row ? full + 1 : 1;
            const int height = row ? 1 : full + 1;
            std::vector<unsigned char> in(size_t(width) * size_t(height) * size_t(area) * 4, 0);
            for (int sum = 0; sum <= full; ++sum)
                for (int pixel = 0; pixel < area; ++pixel) {
                    const int x = (row ? sum : 0) * n + pixel % n;
                    const int y = (row ? 0 : sum) * n + pixel / n;
                    unsigned char* at = in.data() + (size_t(y) * size_t(width * n) + size_t(x)) * 4;
                    at[0] = evenShare(sum, n, pixel);
                    at[1] = evenShare(full - sum, n, pixel);
                    at[2] = piledShare(sum, pixel);
                    at[3] = piledShare(full - sum, pixel);
                }
            std::vector<unsigned char> out(size_t(width) * size_t(height) * 4);
            averageBlocks(in.data(), width, n, Viewport{0, 0, width, height}, out.data());
            for (int sum = 0; sum <= full; ++sum) {
                const int blockSums[4] = {sum, full - sum, sum, full - sum};
                for (int c = 0; c < 4; ++c) {
                    const int mean = (blockSums[c] + area / 2) / area;
                    const int actual = out[size_t(sum) * 4 + size_t(c)];
                    if (actual == mean) continue;
                    ADD_FAILURE() << n << "x" << n << " block summing to " << blockSums[c] << " (channel " << c
                                  << ", in a " << (row ? "row" : "column") << "): " << actual << ", not " << mean;
                    return;
                }
            }
        }
    }
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
