#include "titles/letters.h"

#include <stdexcept>

namespace {

// Rows from the top; '#' is a filled cell.
const char* const kLetterGlyphs[26][kGlyphRows] = {
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

const char* const kDigitGlyphs[10][kGlyphRows] = {
    {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},  // 0
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},  // 1
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},  // 2
    {"####.", "....#", "....#", ".###.", "....#", "....#", "####."},  // 3
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},  // 4
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},  // 5
    {".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."},  // 6
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},  // 7
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},  // 8
    {".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."},  // 9
};

struct SignGlyph {
    char sign;
    const char* rows[kGlyphRows];
};

const SignGlyph kSignGlyphs[] = {
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {',', {".....", ".....", ".....", ".....", ".##..", "..#..", ".#..."}},
    {'!', {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."}},
    {'?', {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'\'', {"..#..", "..#..", ".#...", ".....", ".....", ".....", "....."}},
};

// The rows of c's glyph, lower case taken as upper; null for a space or a
// character that has none.
const char* const* glyphOf(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return kLetterGlyphs[u - 'A'];
    if (u >= 'a' && u <= 'z') return kLetterGlyphs[u - 'a'];
    if (u >= '0' && u <= '9') return kDigitGlyphs[u - '0'];
    for (const SignGlyph& glyph : kSignGlyphs)
        if (glyph.sign == c) return glyph.rows;
    return nullptr;
}

Vec3 along(Vec3 origin, Vec3 axis, float distance) { return vec3Add(origin, vec3Scale(axis, distance)); }

}  // namespace

bool hasGlyph(char c) { return c == ' ' || glyphOf(c) != nullptr; }

float textWidth(const std::string& text, const TextLayout& layout) {
    if (text.empty()) return 0.0f;
    const float advance = (float(kGlyphColumns) + layout.spacing) * layout.cell;
    return float(text.size() - 1) * advance + float(kGlyphColumns) * layout.cell;
}

void appendText(NamedMesh& mesh, const std::string& text, const TextLayout& layout) {
    const float advance = (float(kGlyphColumns) + layout.spacing) * layout.cell;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ') continue;
        const char* const* glyph = glyphOf(text[i]);
        if (!glyph) throw std::invalid_argument(std::string("no block letter for '") + text[i] + "'");
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
