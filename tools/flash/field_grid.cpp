#include "tools/flash/field_grid.h"

#include <algorithm>
#include <cmath>

#include "tools/flash/flash_rule.h"

namespace {

int atLeastOne(double value) { return std::max(1, int(std::lround(value))); }

}  // namespace

FieldGrid::FieldGrid(int width, int height) : width_(width), height_(height) {
    using namespace flash_rule;
    // The same share of the frame's area, in the field's own shape.
    const double share = (kFieldWidth * kFieldHeight) / (kReferenceWidth * kReferenceHeight);
    const double area = share * double(width) * double(height);
    const double fieldWidth = std::min(double(width), std::sqrt(area * kFieldWidth / kFieldHeight));
    const double fieldHeight = std::min(double(height), std::sqrt(area * kFieldHeight / kFieldWidth));
    blockSize_ = std::max(1, int(fieldWidth / kBlocksPerFieldWidth));
    blocksX_ = (width + blockSize_ - 1) / blockSize_;
    blocksY_ = (height + blockSize_ - 1) / blockSize_;
    cellBlocksX_ = atLeastOne(fieldWidth / kCellsPerSide / blockSize_);
    cellBlocksY_ = atLeastOne(fieldHeight / kCellsPerSide / blockSize_);
    cellsX_ = (blocksX_ + cellBlocksX_ - 1) / cellBlocksX_;
    cellsY_ = (blocksY_ + cellBlocksY_ - 1) / cellBlocksY_;
    fieldCellsX_ = std::min(cellsX_, atLeastOne(fieldWidth / (cellBlocksX_ * blockSize_)));
    fieldCellsY_ = std::min(cellsY_, atLeastOne(fieldHeight / (cellBlocksY_ * blockSize_)));
    fieldsX_ = cellsX_ - fieldCellsX_ + 1;
    fieldsY_ = cellsY_ - fieldCellsY_ + 1;
    areaLimit_ = long(fieldWidth * fieldHeight * kAreaShare);
    corners_.assign(size_t(cellsX_ + 1) * size_t(cellsY_ + 1), 0);
}

int FieldGrid::fieldsOver(const std::vector<uint32_t>& cellPixels, std::vector<uint8_t>& over, long* most) const {
    const size_t stride = size_t(cellsX_ + 1);
    for (int cy = 0; cy < cellsY_; ++cy) {
        long row = 0;
        for (int cx = 0; cx < cellsX_; ++cx) {
            row += cellPixels[size_t(cy) * size_t(cellsX_) + size_t(cx)];
            corners_[size_t(cy + 1) * stride + size_t(cx + 1)] = corners_[size_t(cy) * stride + size_t(cx + 1)] + row;
        }
    }
    over.assign(size_t(fieldCount()), 0);
    int worst = 0;
    *most = -1;
    for (int fy = 0; fy < fieldsY_; ++fy) {
        for (int fx = 0; fx < fieldsX_; ++fx) {
            const size_t top = size_t(fy + fieldCellsY_) * stride;
            const size_t bottom = size_t(fy) * stride;
            const long held = corners_[top + size_t(fx + fieldCellsX_)] - corners_[top + size_t(fx)] -
                              corners_[bottom + size_t(fx + fieldCellsX_)] + corners_[bottom + size_t(fx)];
            const int field = fy * fieldsX_ + fx;
            over[size_t(field)] = held > areaLimit_ ? 1 : 0;
            if (held > *most) {
                *most = held;
                worst = field;
            }
        }
    }
    return worst;
}
