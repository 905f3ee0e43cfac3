#include "tools/player/show_player.h"

#include <GL/gl.h>

#include <chrono>

#include "shell/framing.h"
#include "tools/player/supersample.h"

ShowPlayer::ShowPlayer(int width, int height, int supersample)
    : context_(width * supersample, height * supersample),
      width_(width),
      height_(height),
      supersample_(supersample) {
    if (supersample_ > 1) {
        // The bars around the picture stay black: only the picture is averaged.
        for (std::vector<unsigned char>& picture : pictures_) picture.assign(size_t(width) * size_t(height) * 4, 0);
    }
}

ShowPlayer::~ShowPlayer() { finishAveraging(); }

std::vector<std::string> ShowPlayer::start() {
    if (!context_.ok()) return {};
    std::vector<std::string> failures = runner_.start();
    runner_.reshape(width_, height_, supersample_);
    // Lines n pixels wide keep their weight in the averaged picture.
    if (supersample_ > 1) glLineWidth(float(supersample_));
    return failures;
}

FrameResult ShowPlayer::drawFrame(float t) {
    const FrameResult result = runner_.drawAt(t);
    // OSMesa writes the frame into the pixels that the last frame's
    // averaging reads when the drawing is finished, not before.
    finishAveraging();
    glFinish();
    if (averagesBeside()) startAveraging();
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
