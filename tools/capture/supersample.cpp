#include "tools/capture/supersample.h"

#include <cstddef>
#include <cstdint>
#include <vector>

void averageBlocks(const unsigned char* rgba, int width, int height, int n, unsigned char* out) {
    const size_t outRow = size_t(width) * 4;
    const size_t inRow = outRow * size_t(n);
    const uint32_t count = uint32_t(n) * uint32_t(n);
    std::vector<uint32_t> sums(outRow);
    for (int y = 0; y < height; ++y) {
        sums.assign(outRow, 0);
        // The n rows of the block row, each pixel added to its block's sum.
        for (int row = 0; row < n; ++row) {
            const unsigned char* in = rgba + (size_t(y) * size_t(n) + size_t(row)) * inRow;
            for (size_t x = 0; x < size_t(width); ++x) {
                uint32_t* sum = &sums[x * 4];
                for (int i = 0; i < n; ++i, in += 4) {
                    sum[0] += in[0];
                    sum[1] += in[1];
                    sum[2] += in[2];
                    sum[3] += in[3];
                }
            }
        }
        unsigned char* o = out + size_t(y) * outRow;
        for (size_t i = 0; i < outRow; ++i) o[i] = (unsigned char)((sums[i] + count / 2) / count);
    }
}
