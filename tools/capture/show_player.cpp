#include "tools/capture/show_player.h"

#include <GL/gl.h>

ShowPlayer::ShowPlayer(int width, int height) : context_(width, height) {
    if (!context_.ok()) return;
    initGraphicsState(state_);
    fillShadeTable(state_.shadeTable);
    reshapeView(width, height);
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
    glViewport(0, 0, context_.width(), context_.height());
    return result;
}
