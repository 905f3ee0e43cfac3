#pragma once

#include <algorithm>
#include <cstdint>

// Follows a quantity that goes up and down (a place's luminance frame after
// frame, or along a line of places) from one turning point to the next:
// low and high are the extremes since the last turn, way the way it went
// (+1 up, -1 down, 0 not yet known). A turn is a change of at least
// `change` from the extreme, the darker side below darkerBelow. Returns +1
// for a turn up, -1 for a turn down, 0 for none.
inline int turns(uint16_t& low, uint16_t& high, int8_t& way, uint16_t v, uint16_t change, uint16_t darkerBelow) {
    if (way <= 0) {
        low = std::min(low, v);
        if (v - low >= change && low < darkerBelow) {
            way = 1;
            high = v;
            return 1;
        }
    }
    if (way >= 0) {
        high = std::max(high, v);
        if (high - v >= change && v < darkerBelow) {
            way = -1;
            low = v;
            return -1;
        }
    }
    return 0;
}
