#include "tools/player/supersample.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Dividing a block's sum s (at most 16 x 255) by the block's n x n pixels,
// rounded to the nearest level, as ((s + n * n / 2) * kMultiplier[n]) >>
// (16 + kShift[n]): the multiplier is 2^(16 + shift) / (n * n) rounded up,
// close enough that the quotient comes out exact for every such sum.
constexpr uint16_t kMultiplier[5] = {0, 0, 16384, 58255, 4096};
constexpr int kShift[5] = {0, 0, 0, 3, 0};

uint8_t divide(uint32_t sum, int n) {
    return uint8_t(((sum + uint32_t(n * n / 2)) * kMultiplier[n]) >> (16 + kShift[n]));
}

// One row of output pixels from the sums of the n rows of their blocks:
// the n pixels side by side added, then divided.
void averageRow(const uint16_t* sums, int width, int n, unsigned char* out) {
    const size_t stride = size_t(n) * 4;
    int x = 0;
#ifdef __SSE2__
    const __m128i half = _mm_set1_epi16(int16_t(n * n / 2));
    const __m128i multiplier = _mm_set1_epi16(int16_t(kMultiplier[n]));
    // Two output pixels at a time, one in each half of a register.
    for (; x + 2 <= width; x += 2) {
        const uint16_t* first = sums + size_t(x) * stride;
        __m128i sum = _mm_setzero_si128();
        for (int i = 0; i < n; ++i) {
            const __m128i left = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(first + 4 * i));
            const __m128i right = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(first + stride + 4 * i));
            sum = _mm_add_epi16(sum, _mm_unpacklo_epi64(left, right));
        }
        __m128i mean = _mm_mulhi_epu16(_mm_add_epi16(sum, half), multiplier);
        mean = _mm_srli_epi16(mean, kShift[n]);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + size_t(x) * 4), _mm_packus_epi16(mean, mean));
    }
#endif
    for (; x < width; ++x)
        for (size_t c = 0; c < 4; ++c) {
            uint32_t sum = 0;
            for (size_t i = 0; i < size_t(n); ++i) sum += sums[size_t(x) * stride + 4 * i + c];
            out[size_t(x) * 4 + c] = divide(sum, n);
        }
}

// Rows first to end of the output rectangle area, each from the n rows of
// its blocks.
void averageRows(const unsigned char* rgba, int width, int n, const Viewport& area, int first, int end,
                 unsigned char* out) {
    const size_t inRow = size_t(width) * size_t(n) * 4;
    const size_t areaRow = size_t(area.width) * size_t(n) * 4;
    std::vector<uint16_t> sums(areaRow);
    for (int y = first; y < end; ++y) {
        // The n rows of the block row added up, channel by channel.
        const unsigned char* in = rgba + size_t(y) * size_t(n) * inRow + size_t(area.left) * size_t(n) * 4;
        for (size_t j = 0; j < areaRow; ++j) sums[j] = in[j];
        for (int row = 1; row < n; ++row) {
            in += inRow;
            for (size_t j = 0; j < areaRow; ++j) sums[j] = uint16_t(sums[j] + in[j]);
        }
        averageRow(sums.data(), area.width, n, out + (size_t(y) * size_t(width) + size_t(area.left)) * 4);
    }
}

}  // namespace

void averageBlocks(const unsigned char* rgba, int width, int n, const Viewport& area, unsigned char* out) {
    if (area.width <= 0 || area.height <= 0) return;
    if (n == 1) {
        for (int y = area.bottom; y < area.bottom + area.height; ++y) {
            const size_t at = (size_t(y) * size_t(width) + size_t(area.left)) * 4;
            std::memcpy(out + at, rgba + at, size_t(area.width) * 4);
        }
        return;
    }
    // The rows are shared out among the processor's cores.
    const int threads = std::max(1, std::min({int(std::thread::hardware_concurrency()), 8, area.height}));
    const int first = area.bottom;
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(averageRows, rgba, width, n, area, first + area.height * t / threads,
                             first + area.height * (t + 1) / threads, out);
    averageRows(rgba, width, n, area, first, first + area.height / threads, out);
    for (std::thread& worker : workers) worker.join();
}
