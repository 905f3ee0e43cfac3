#pragma once

#include <cstdint>
#include <vector>

#include "tools/flash/field_grid.h"
#include "tools/flash/pattern_finder.h"

// What the count found up to one frame.
struct FrameFlashes {
    // The most transitions that one field has made in the second that ends
    // with this frame (the frame and the fps - 1 before it), and that field.
    int generalTransitions = 0;
    int generalField = 0;
    int redTransitions = 0;
    int redField = 0;
    // Regular stripes or checks cover more than a quarter of a field.
    bool pattern = false;
    int patternField = 0;
};

// Counts the flashes of a run of frames, place by place. Each block of the
// field grid (a tenth of a degree, its pixels' linear light averaged) keeps
// the peak or valley it last turned at, in relative luminance and in red;
// a block makes a transition when it has moved the rule's change away from
// it (the darker state below the rule's level) and turns there. Within
// each cell, blocks that go up and blocks that go down in the same frame
// cancel: moving detail and a pattern that swaps its shades change the
// light of a place no more than a still one. A field makes a transition in
// a frame when what is left covers more than a quarter of it; each field's
// transitions are counted over the last second.
class FlashCounter {
public:
    // Frames of width x height pixels, fps a second.
    FlashCounter(int width, int height, int fps);

    // The next frame, 8-bit RGBA (sRGB), 4 bytes a pixel, one row after the
    // other. The first frame sets where each pixel starts.
    FrameFlashes addFrame(const unsigned char* rgba);

    const FieldGrid& grid() const { return grid_; }

private:
    // One quantity of every block: the last peak or valley and the way it
    // went since (+1 up, -1 down, 0 not yet known).
    struct Turns {
        std::vector<uint16_t> low;
        std::vector<uint16_t> high;
        std::vector<int8_t> way;
    };
    // The transitions of every field in the last second, frame by frame.
    struct FieldHistory {
        std::vector<uint8_t> made;
        std::vector<int> inLastSecond;
    };

    // Sums the linear light of every block's pixels into sums_.
    void averageBlocks(const unsigned char* rgba);
    void countFields(const std::vector<uint32_t>& cellPixels, FieldHistory& history, int* most, int* field);

    FieldGrid grid_;
    int fps_;
    long frames_ = 0;
    std::vector<uint32_t> blockPixels_;
    // 2^32 / the block's pixels.
    std::vector<uint64_t> blockShare_;
    std::vector<uint32_t> sums_;
    std::vector<uint16_t> luminance_;
    Turns general_;
    Turns red_;
    std::vector<int32_t> generalChanges_;
    std::vector<int32_t> redChanges_;
    std::vector<uint32_t> generalCells_;
    std::vector<uint32_t> redCells_;
    std::vector<uint32_t> patternCells_;
    std::vector<uint8_t> over_;
    FieldHistory generalHistory_;
    FieldHistory redHistory_;
    PatternFinder patterns_;
};
