#include "tools/capture/show_player.h"

#include <GL/gl.h>

#include "tools/capture/supersample.h"

ShowPlayer::ShowPlayer(int width, int height, int supersample)
    : context_(width * supersample, height * supersample),
      width_(width),
      height_(height),
      supersample_(supersample),
      viewport_(scaledViewport(pictureViewport(width, height), supersample)) {
    if (!context_.ok()) return;
    initGraphicsState(state_);
    fillShadeTable(state_.shadeTable);
    reshapeView(context_.width(), context_.height());
    // The picture's rectangle of the output frame, scaled: each block of n x
    // n pixels that is averaged lies wholly inside it or wholly in a bar.
    setViewport(viewport_);
    if (supersample_ > 1) {
        glLineWidth(float(supersample_));
        // The bars around the picture stay black: only the picture is averaged.
        averaged_.assign(size_t(width) * size_t(height) * 4, 0);
    }
}

std::vector<std::string> ShowPlayer::loadScenes() { return scenes_.loadScenes(); }

FrameResult ShowPlayer::drawFrame(float t) {
    state_.demoTime = t;
    const FrameResult result = ::drawFrame(state_, scenes_, t);
    glFinish();
    return result;
}

FrameResult ShowPlayer::playFrame(float t) {
    // Only the viewport changes: every call that leaves state behind runs.
    glViewport(0, 0, 1, 1);
    state_.demoTime = t;
    const FrameResult result = ::drawFrame(state_, scenes_, t);
    setViewport(viewport_);
    return result;
}

const unsigned char* ShowPlayer::pixels() {
    if (supersample_ == 1) return context_.pixels();
    averageBlocks(context_.pixels(), width_, supersample_, pictureViewport(width_, height_), averaged_.data());
    return averaged_.data();
}
