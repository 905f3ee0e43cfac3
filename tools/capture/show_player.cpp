#include "tools/capture/show_player.h"

#include <GL/gl.h>

#include <chrono>

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
        for (std::vector<unsigned char>& picture : pictures_) picture.assign(size_t(width) * size_t(height) * 4, 0);
    }
}

ShowPlayer::~ShowPlayer() { finishAveraging(); }

std::vector<std::string> ShowPlayer::loadScenes() { return scenes_.loadScenes(); }

FrameResult ShowPlayer::drawFrame(float t) {
    state_.demoTime = t;
    const FrameResult result = ::drawFrame(state_, scenes_, t);
    // OSMesa writes the frame into the pixels that the last frame's
    // averaging reads when the drawing is finished, not before.
    finishAveraging();
    glFinish();
    if (averagesBeside()) startAveraging();
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
    if (!averagesBeside()) return context_.pixels();
    finishAveraging();
    return pictures_[ready_].data();
}

void ShowPlayer::startAveraging() {
    averagingInto_ = 1 - ready_;
    averaging_ = std::thread(averageBlocks, context_.pixels(), width_, supersample_, pictureViewport(width_, height_),
                             pictures_[averagingInto_].data());
}

void ShowPlayer::finishAveraging() {
    if (!averaging_.joinable()) return;
    const auto begin = std::chrono::steady_clock::now();
    averaging_.join();
    averageWaitSeconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    ready_ = averagingInto_;
}
