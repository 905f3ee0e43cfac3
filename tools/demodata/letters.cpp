#include "tools/demodata/letters.h"

#include <cctype>
#include <stdexcept>

namespace {

// Rows from the top; '#' is a filled cell.
const char* const kGlyphs[26][kGlyphRows] = {
    {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"},  // A
    {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."},  // B
    {".####", "#....", "#....", "#....", "#....", "#....", ".####"},  // C
    {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."},  // D
    {"#####", "#....", "#....", "####.", "#....", "#....", "#####"},  // E
    {"#####", "#....", "#....", "####.", "#....", "#....", "#...."},  // F
    {".####", "#....", "#....", "#..##", "#...#", "#...#", ".###."},  // G
    {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"},  // H
    {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"},  // I
    {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."},  // J
    {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"},  // K
    {"#....", "#....", "#....", "#....", "#....", "#....", "#####"},  // L
    {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"},  // M
    {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"},  // N
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},  // O
    {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."},  // P
    {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"},  // Q
    {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"},  // R
    {".####", "#....", "#....", ".###.", "....#", "....#", "####."},  // S
    {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."},  // T
    {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},  // U
    {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."},  // V
    {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"},  // W
    {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"},  // X
    {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."},  // Y
    {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"},  // Z
};

Vec3 along(Vec3 origin, Vec3 axis, float distance) { return vec3Add(origin, vec3Scale(axis, distance)); }

}  // namespace

float textWidth(const std::string& text, const TextLayout& layout) {
    if (text.empty()) return 0.0f;
    const float advance = (float(kGlyphColumns) + layout.spacing) * layout.cell;
    return float(text.size() - 1) * advance + float(kGlyphColumns) * layout.cell;
}

void appendText(NamedMesh& mesh, const std::string& text, const TextLayout& layout) {
    const float advance = (float(kGlyphColumns) + layout.spacing) * layout.cell;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ') continue;
        if (!std::isalpha(c)) throw std::invalid_argument(std::string("no block letter for '") + text[i] + "'");
        const char* const* glyph = kGlyphs[std::toupper(c) - 'A'];
        const Vec3 letterOrigin = along(layout.origin, layout.right, float(i) * advance);
        for (int row = 0; row < kGlyphRows; ++row) {
            const float bottom = float(kGlyphRows - 1 - row) * layout.cell;
            int column = 0;
            while (column < kGlyphColumns) {
                if (glyph[row][column] != '#') {
                    ++column;
                    continue;
                }
                int end = column;
                while (end < kGlyphColumns && glyph[row][end] == '#') ++end;
                const float halfWidth = float(end - column) * layout.cell * 0.5f;
                Vec3 centre = along(letterOrigin, layout.right, float(column) * layout.cell + halfWidth);
                centre = along(centre, layout.up, bottom + layout.cell * 0.5f);
                centre = along(centre, layout.depth, layout.thickness * 0.5f);
                appendBox(mesh, centre, vec3Scale(layout.right, halfWidth), vec3Scale(layout.depth, layout.thickness * 0.5f),
                          vec3Scale(layout.up, layout.cell * 0.5f));
                column = end;
            }
        }
    }
}
