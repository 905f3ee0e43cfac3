#pragma once

#include <cstdint>
#include <vector>

#include "tools/flash/field_grid.h"

// Finds regular light-dark stripes and checks in a frame, in the field
// grid's blocks of a tenth of a degree (finer stripes are too fine to make
// a pattern, as they are too fine to flash). Along every row and every
// column of blocks, the places where the luminance turns by a transition's
// change (the darker side below the rule's level) are edges between
// stripes. A run of edges in which every pair of stripes, light and dark,
// is at most twice as wide or half as wide as the pair before it is
// regular, loose enough for stripes seen in perspective and rings that a
// row crosses aslant; one of at least 2 x kPatternPairs - 1 edges shows
// that many pairs. Stripes across the rows show along them, stripes along
// the rows down the columns; slanted stripes and checks show both ways.
// Stripes are bars: a run covers its place where the lines a pair's width
// before and after it hold a run too over at least a quarter of it. A line
// of letters, whose strokes are short, is no grating; a checkerboard is
// one both ways.
class PatternFinder {
public:
    explicit PatternFinder(const FieldGrid& grid);

    // luminance: one value a block, rows of blocks in order. cellPixels: for
    // each cell of the grid, the pixels of it that regular runs cover, the
    // more of what the rows and what the columns found.
    void find(const uint16_t* luminance, std::vector<uint32_t>& cellPixels);

    // One line of blocks, walked in order.
    struct Line {
        uint16_t low = 0;
        uint16_t high = 0;
        int8_t way = 0;
        // The last five edges' places, the latest first.
        int edges[5] = {};
        // The first edge of the run of regular stripes that the last edge ends.
        int runStart = 0;
        int runEdges = 0;
    };

    // A regular run of one line: its first and last edge, and the width of
    // its pairs of stripes.
    struct Run {
        int first;
        int last;
        int pairWidth;
    };

private:
    // The regular runs found along lines, line after line.
    struct Runs {
        std::vector<Run> runs;
        // The first run of each line, and one past the last line's last.
        std::vector<size_t> lineStart;
        void clear(int lines) { runs.clear(); lineStart.assign(size_t(lines) + 1, 0); }
        bool crosses(int line, int lines, const Run& run) const;
    };

    void step(Line& line, int place, uint16_t v, std::vector<Run>& found) const;
    void endLine(const Line& line, std::vector<Run>& found) const;
    // Adds the pixels of the blocks that the runs that are bars cover to
    // cells, one line along cellSize-wide cells, cellStride apart; lines lie
    // lineSize-deep in cells lineStride apart.
    void cover(const Runs& runs, int lines, int cellSize, int cellStride, int lineSize, int lineStride,
               std::vector<uint32_t>& cells) const;

    const FieldGrid& grid_;
    std::vector<Line> columns_;
    Runs rowRuns_;
    Runs columnRuns_;
    std::vector<std::vector<Run>> columnFound_;
    std::vector<uint32_t> byRows_;
    std::vector<uint32_t> byColumns_;
};
