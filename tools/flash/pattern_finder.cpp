#include "tools/flash/pattern_finder.h"

#include <algorithm>

#include "tools/flash/flash_rule.h"
#include "tools/flash/turns.h"

namespace {

constexpr int kPatternEdges = 2 * flash_rule::kPatternPairs - 1;

bool alike(int a, int b) { return std::max(a, b) <= 2 * std::min(a, b); }

void startLine(PatternFinder::Line& line, uint16_t first) {
    line = PatternFinder::Line{};
    line.low = line.high = first;
}

// The run that ends at edge last, when it shows enough pairs.
void keepRun(const PatternFinder::Line& line, int last, std::vector<PatternFinder::Run>& found) {
    if (line.runEdges < kPatternEdges) return;
    const int pairs = (line.runEdges - 1) / 2;
    found.push_back(PatternFinder::Run{line.runStart, last, std::max(1, (last - line.runStart) / pairs)});
}

}  // namespace

PatternFinder::PatternFinder(const FieldGrid& grid) : grid_(grid) {}

void PatternFinder::step(Line& line, int place, uint16_t v, std::vector<Run>& found) const {
    if (turns(line.low, line.high, line.way, v, flash_rule::kLuminanceChange, flash_rule::kDarkerBelow) == 0) return;
    int* e = line.edges;
    std::copy_backward(e, e + 4, e + 5);
    e[0] = place;
    if (line.runEdges == 0) line.runStart = place;
    // Each pair of stripes against the pair before it, once the run holds both.
    if (line.runEdges >= 4 && !alike(e[0] - e[2], e[2] - e[4])) {
        keepRun(line, e[1], found);
        // A new run with the three stripes that were alike.
        line.runStart = e[3];
        line.runEdges = 4;
    } else {
        ++line.runEdges;
    }
}

void PatternFinder::endLine(const Line& line, std::vector<Run>& found) const {
    keepRun(line, line.edges[0], found);
}

bool PatternFinder::Runs::crosses(int line, int lines, const Run& run) const {
    if (line < 0 || line >= lines) return false;
    for (size_t i = lineStart[size_t(line)]; i < lineStart[size_t(line) + 1]; ++i) {
        const int overlap = std::min(run.last, runs[i].last) - std::max(run.first, runs[i].first) + 1;
        if (4 * overlap >= run.last - run.first + 1) return true;
    }
    return false;
}

void PatternFinder::cover(const Runs& found, int lines, int cellSize, int cellStride, int lineSize, int lineStride,
                          std::vector<uint32_t>& cells) const {
    const uint32_t blockPixels = uint32_t(grid_.blockSize() * grid_.blockSize());
    for (int line = 0; line < lines; ++line) {
        const size_t lineCells = size_t(line / lineSize) * size_t(lineStride);
        for (size_t i = found.lineStart[size_t(line)]; i < found.lineStart[size_t(line) + 1]; ++i) {
            const Run& run = found.runs[i];
            if (!found.crosses(line - run.pairWidth, lines, run) || !found.crosses(line + run.pairWidth, lines, run))
                continue;
            for (int c = run.first / cellSize; c <= run.last / cellSize; ++c) {
                const int from = std::max(run.first, c * cellSize);
                const int to = std::min(run.last, c * cellSize + cellSize - 1);
                cells[lineCells + size_t(c) * size_t(cellStride)] += uint32_t(to - from + 1) * blockPixels;
            }
        }
    }
}

void PatternFinder::find(const uint16_t* luminance, std::vector<uint32_t>& cellPixels) {
    const int width = grid_.blocksAcross();
    const int height = grid_.blocksDown();
    const int across = grid_.cellsAcross();
    rowRuns_.clear(height);
    columns_.resize(size_t(width));
    columnFound_.resize(size_t(width));
    for (std::vector<Run>& found : columnFound_) found.clear();
    Line row;
    for (int y = 0; y < height; ++y) {
        const uint16_t* line = luminance + size_t(y) * size_t(width);
        startLine(row, line[0]);
        for (int x = 1; x < width; ++x) step(row, x, line[x], rowRuns_.runs);
        endLine(row, rowRuns_.runs);
        rowRuns_.lineStart[size_t(y) + 1] = rowRuns_.runs.size();
        if (y == 0) {
            for (int x = 0; x < width; ++x) startLine(columns_[size_t(x)], line[x]);
            continue;
        }
        for (int x = 0; x < width; ++x) step(columns_[size_t(x)], y, line[x], columnFound_[size_t(x)]);
    }
    columnRuns_.clear(width);
    for (int x = 0; x < width; ++x) {
        endLine(columns_[size_t(x)], columnFound_[size_t(x)]);
        columnRuns_.runs.insert(columnRuns_.runs.end(), columnFound_[size_t(x)].begin(), columnFound_[size_t(x)].end());
        columnRuns_.lineStart[size_t(x) + 1] = columnRuns_.runs.size();
    }
    byRows_.assign(size_t(grid_.cellCount()), 0);
    byColumns_.assign(size_t(grid_.cellCount()), 0);
    cover(rowRuns_, height, grid_.cellBlocksAcross(), 1, grid_.cellBlocksDown(), across, byRows_);
    cover(columnRuns_, width, grid_.cellBlocksDown(), across, grid_.cellBlocksAcross(), 1, byColumns_);
    cellPixels.resize(size_t(grid_.cellCount()));
    for (size_t c = 0; c < cellPixels.size(); ++c) cellPixels[c] = std::max(byRows_[c], byColumns_[c]);
}
