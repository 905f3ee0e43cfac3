#include "shell/framing.h"

#include <algorithm>
#include <cstdint>

Viewport pictureViewport(int width, int height) {
    Viewport v;
    v.width = int(std::min<int64_t>(width, int64_t(height) * 4 / 3));
    v.height = int(std::min<int64_t>(height, int64_t(width) * 3 / 4));
    v.left = (width - v.width) / 2;
    v.bottom = (height - v.height) / 2;
    return v;
}

Viewport scaledViewport(const Viewport& viewport, int factor) {
    return Viewport{viewport.left * factor, viewport.bottom * factor, viewport.width * factor,
                    viewport.height * factor};
}
