#include "shell/shade_table.h"

#include <cstddef>

int ShadeRandom::next() {
    state_ = state_ * 214013u + 2531011u;
    return int((state_ >> 16) & 0x7FFFu);
}

void fillShadeTable(ShadeTable& table) {
    ShadeRandom random;
    for (int8_t& shade : table) shade = int8_t(random.next() % 92 + 32);
}

int8_t shadeOfFace(const ShadeTable& table, int face) {
    if (face < 0) face = 0;
    return table[std::size_t(face % kShadeCount)];
}
