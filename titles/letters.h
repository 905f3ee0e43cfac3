#pragma once

#include <string>

#include "titles/mesh_builder.h"

// Block letters: each letter of A to Z (lower case drawn as upper case), digit
// of 0 to 9 and sign of . , ! ? - ' is drawn on a grid 5 cells wide and 7 high
// and built from boxes, one box per horizontal run of filled cells. A space
// leaves one letter's width empty; other characters are refused.
constexpr int kGlyphColumns = 5;
constexpr int kGlyphRows = 7;

// Where a line of letters stands. origin is the lower left front corner of the
// first letter; right runs along the line, up along the letters and depth
// into them (three unit vectors). Letters are cell units apart (one empty
// column between letters when spacing is 1).
struct TextLayout {
    Vec3 origin;
    Vec3 right{1, 0, 0};
    Vec3 up{0, 0, 1};
    Vec3 depth{0, 1, 0};
    float cell = 10.0f;
    float thickness = 20.0f;
    float spacing = 1.0f;
};

// Whether appendText can make c: a letter, digit, sign or space.
bool hasGlyph(char c);

// Width of the line along layout.right, from the first letter's left edge to
// the last letter's right edge.
float textWidth(const std::string& text, const TextLayout& layout);

// Adds the letters of text to mesh. Throws std::invalid_argument for a
// character that has no glyph.
void appendText(NamedMesh& mesh, const std::string& text, const TextLayout& layout);
