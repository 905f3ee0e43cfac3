#include "tools/flash/flash_counter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "tools/flash/flash_rule.h"
#include "tools/flash/turns.h"

namespace {

using flash_rule::kFull;

// 8-bit sRGB to linear light, 0..65535.
struct LinearLight {
    std::array<uint32_t, 256> level;

    LinearLight() {
        for (int c = 0; c < 256; ++c) {
            const double v = c / 255.0;
            const double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            level[size_t(c)] = uint32_t(std::lround(linear * kFull));
        }
    }
};

const LinearLight& linearLight() {
    static const LinearLight table;
    return table;
}

// Relative luminance from linear light: the three channels' shares, out of 65536.
inline uint16_t luminance(uint32_t r, uint32_t g, uint32_t b) {
    return uint16_t((13933u * r + 46871u * g + 4732u * b) >> 16);
}

// A saturated red's red value, 0 for any other colour (flash_rule.h): red
// is at least 0.8 of the three when it is at least four times the others.
inline uint16_t redValue(uint32_t r, uint32_t g, uint32_t b) {
    return r >= 4 * (g + b) ? uint16_t(r - g - b) : 0;
}

// What a cell's blocks change at once: those that went up and those that
// went down cancel.
void netChanges(const std::vector<int32_t>& changes, std::vector<uint32_t>& cellPixels) {
    cellPixels.resize(changes.size() / 2);
    for (size_t c = 0; c < cellPixels.size(); ++c)
        cellPixels[c] = uint32_t(std::abs(changes[2 * c] - changes[2 * c + 1]));
}

}  // namespace

FlashCounter::FlashCounter(int width, int height, int fps) : grid_(width, height), fps_(fps), patterns_(grid_) {
    const int k = grid_.blockSize();
    const size_t blocks = size_t(grid_.blocksAcross()) * size_t(grid_.blocksDown());
    blockPixels_.resize(blocks);
    blockShare_.resize(blocks);
    for (int by = 0; by < grid_.blocksDown(); ++by) {
        for (int bx = 0; bx < grid_.blocksAcross(); ++bx) {
            const int w = std::min(k, width - bx * k);
            const int h = std::min(k, height - by * k);
            const size_t i = size_t(by) * size_t(grid_.blocksAcross()) + size_t(bx);
            blockPixels_[i] = uint32_t(w * h);
            blockShare_[i] = (uint64_t(1) << 32) / uint64_t(w * h);
        }
    }
    luminance_.resize(blocks);
    for (Turns* t : {&general_, &red_}) {
        t->low.resize(blocks);
        t->high.resize(blocks);
        t->way.assign(blocks, 0);
    }
    for (FieldHistory* h : {&generalHistory_, &redHistory_}) {
        h->made.assign(size_t(grid_.fieldCount()) * size_t(fps), 0);
        h->inLastSecond.assign(size_t(grid_.fieldCount()), 0);
    }
}

void FlashCounter::averageBlocks(const unsigned char* rgba) {
    const LinearLight& light = linearLight();
    const int k = grid_.blockSize();
    const int width = grid_.width();
    const int across = grid_.blocksAcross();
    sums_.assign(3 * size_t(across) * size_t(grid_.blocksDown()), 0);
    for (int y = 0; y < grid_.height(); ++y) {
        uint32_t* sum = sums_.data() + 3 * size_t(y / k) * size_t(across);
        const unsigned char* p = rgba + size_t(y) * size_t(width) * 4;
        for (int bx = 0; bx < across; ++bx, sum += 3) {
            uint32_t r = 0;
            uint32_t g = 0;
            uint32_t b = 0;
            for (int x = bx * k; x < std::min(width, bx * k + k); ++x, p += 4) {
                r += light.level[p[0]];
                g += light.level[p[1]];
                b += light.level[p[2]];
            }
            sum[0] += r;
            sum[1] += g;
            sum[2] += b;
        }
    }
}

FrameFlashes FlashCounter::addFrame(const unsigned char* rgba) {
    averageBlocks(rgba);
    const bool first = frames_ == 0;
    // Ups and downs of each cell, side by side.
    generalChanges_.assign(2 * size_t(grid_.cellCount()), 0);
    redChanges_.assign(2 * size_t(grid_.cellCount()), 0);
    const int across = grid_.blocksAcross();
    for (int by = 0; by < grid_.blocksDown(); ++by) {
        const size_t cellRow = size_t(grid_.cellOfBlockRow(by)) * size_t(grid_.cellsAcross());
        for (int bx = 0; bx < across; ++bx) {
            const size_t i = size_t(by) * size_t(across) + size_t(bx);
            const uint32_t n = blockPixels_[i];
            // The mean, by a multiplication: it may fall one short of it.
            const uint64_t share = blockShare_[i];
            const uint32_t r = uint32_t((sums_[3 * i] * share) >> 32);
            const uint32_t g = uint32_t((sums_[3 * i + 1] * share) >> 32);
            const uint32_t b = uint32_t((sums_[3 * i + 2] * share) >> 32);
            const uint16_t lum = luminance(r, g, b);
            const uint16_t red = redValue(r, g, b);
            luminance_[i] = lum;
            if (first) {
                general_.low[i] = general_.high[i] = lum;
                red_.low[i] = red_.high[i] = red;
                continue;
            }
            const size_t cell = 2 * (cellRow + size_t(grid_.cellOfBlockColumn(bx)));
            const int generalTurn = turns(general_.low[i], general_.high[i], general_.way[i], lum,
                                          flash_rule::kLuminanceChange, flash_rule::kDarkerBelow);
            if (generalTurn != 0) generalChanges_[cell + (generalTurn > 0 ? 0 : 1)] += int32_t(n);
            // Any red change counts, however light the darker state.
            const int redTurn = turns(red_.low[i], red_.high[i], red_.way[i], red, flash_rule::kRedChange, kFull);
            if (redTurn != 0) redChanges_[cell + (redTurn > 0 ? 0 : 1)] += int32_t(n);
        }
    }
    netChanges(generalChanges_, generalCells_);
    netChanges(redChanges_, redCells_);
    FrameFlashes found;
    countFields(generalCells_, generalHistory_, &found.generalTransitions, &found.generalField);
    countFields(redCells_, redHistory_, &found.redTransitions, &found.redField);
    patterns_.find(luminance_.data(), patternCells_);
    long most = 0;
    found.patternField = grid_.fieldsOver(patternCells_, over_, &most);
    found.pattern = most > grid_.areaLimit();
    ++frames_;
    return found;
}

void FlashCounter::countFields(const std::vector<uint32_t>& cellPixels, FieldHistory& history, int* most,
                               int* field) {
    long largest = 0;
    grid_.fieldsOver(cellPixels, over_, &largest);
    const size_t slot = size_t(frames_ % fps_);
    *most = -1;
    for (size_t f = 0; f < over_.size(); ++f) {
        uint8_t& made = history.made[f * size_t(fps_) + slot];
        history.inLastSecond[f] += int(over_[f]) - int(made);
        made = over_[f];
        if (history.inLastSecond[f] > *most) {
            *most = history.inLastSecond[f];
            *field = int(f);
        }
    }
}
