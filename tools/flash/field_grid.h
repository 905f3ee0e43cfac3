#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The 10 degree fields of view over a frame, for counting what covers more
// than a quarter of one. The count looks at blocks of pixels a tenth of a
// degree wide, averaged: a pattern finer than that neither flashes nor
// makes stripes. Blocks make cells, kCellsPerSide to a field's side, and a
// field stands at every cell: what a field holds is summed from its cells,
// so a frame of any size costs a few hundred sums. A field off the cell
// grid holds at most one cell's strip more than the nearest one on it.
class FieldGrid {
public:
    static constexpr int kCellsPerSide = 8;
    static constexpr int kBlocksPerFieldWidth = 100;

    // A field is the share of a width x height frame that 341 x 256 pixels
    // are of 1024 x 768, 4:3 (flash_rule.h), and never larger than the frame.
    FieldGrid(int width, int height);

    // The frame, in pixels.
    int width() const { return width_; }
    int height() const { return height_; }

    // Blocks of blockSize() x blockSize() pixels, those on the frame's last
    // row and column cut short.
    int blockSize() const { return blockSize_; }
    int blocksAcross() const { return blocksX_; }
    int blocksDown() const { return blocksY_; }

    // Cells of cellBlocks() x cellBlocksDown() blocks, row after row.
    int cellBlocksAcross() const { return cellBlocksX_; }
    int cellBlocksDown() const { return cellBlocksY_; }
    int cellsAcross() const { return cellsX_; }
    int cellsDown() const { return cellsY_; }
    int cellCount() const { return cellsX_ * cellsY_; }
    int cellOfBlockColumn(int bx) const { return bx / cellBlocksX_; }
    int cellOfBlockRow(int by) const { return by / cellBlocksY_; }

    int fieldCount() const { return fieldsX_ * fieldsY_; }
    // A field's size and corner in pixels, counted from the frame's first
    // row and column.
    int fieldWidth() const { return fieldCellsX_ * cellBlocksX_ * blockSize_; }
    int fieldHeight() const { return fieldCellsY_ * cellBlocksY_ * blockSize_; }
    int fieldLeft(int field) const { return (field % fieldsX_) * cellBlocksX_ * blockSize_; }
    int fieldBottom(int field) const { return (field / fieldsX_) * cellBlocksY_ * blockSize_; }
    // More pixels than this in one field count: a quarter of it.
    long areaLimit() const { return areaLimit_; }

    // over[f] becomes 1 where field f holds more than areaLimit() pixels of
    // what cellPixels counts (one count per cell), else 0. Returns the field
    // holding the most, and its count in *most.
    int fieldsOver(const std::vector<uint32_t>& cellPixels, std::vector<uint8_t>& over, long* most) const;

private:
    int width_;
    int height_;
    int blockSize_;
    int blocksX_;
    int blocksY_;
    int cellBlocksX_;
    int cellBlocksY_;
    int cellsX_;
    int cellsY_;
    int fieldCellsX_;
    int fieldCellsY_;
    int fieldsX_;
    int fieldsY_;
    long areaLimit_;
    // Sums of the cells below and left of each corner, one row and column wider.
    mutable std::vector<long> corners_;
};
