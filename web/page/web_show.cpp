#include "web/page/web_show.h"

#include <GL/gl.h>

#include <cstdio>

#include "web/gl11/gl11_calls.h"
#include "web/page/page_bridge.h"

bool WebShow::start(bool preserveDrawingBuffer, std::string* error) {
    device_ = std::make_unique<WebGlDevice>("#canvas", preserveDrawingBuffer);
    if (!device_->ok()) {
        *error = device_->error();
        return false;
    }
    gl_ = std::make_unique<Gl11Context>(*device_);
    gl_->setErrorReporter([](const std::string& text) { page::reportError("orvel: OpenGL error: " + text); });
    makeGl11ContextCurrent(gl_.get());

    // The desktop show's order: the window's state, the shades, the scenes.
    initGraphicsState(state_);
    fillShadeTable(state_.shadeTable);
    reshapeView(kWidth, kHeight);
    const std::vector<std::string> failures = scenes_.loadScenes();
    for (const std::string& failure : failures) std::fprintf(stderr, "orvel: cannot load %s\n", failure.c_str());
    if (failures.size() == std::size_t(kSceneCount)) {
        *error = "no scene could be loaded: the site's orvel.data is missing or damaged";
        return false;
    }
    return true;
}

void WebShow::startClock(double outputLatency) {
    clock_.startWithMusic(outputLatency);
    state_.startTicks = millisecondTicks();
    started_ = true;
}

bool WebShow::drawNextFrame() {
    const FrameResult result = drawFrame(state_, scenes_, state_.demoTime);
    if (result == FrameResult::Ended) return false;
    gl_->flush();
    // The next frame is drawn at the time this one ended.
    state_.demoTime = clock_.seconds();
    return true;
}

void WebShow::stop() { state_.endTicks = millisecondTicks(); }

FrameResult WebShow::drawFrameAt(float t) {
    state_.demoTime = t;
    const FrameResult result = drawFrame(state_, scenes_, t);
    glFinish();
    return result;
}

FrameResult WebShow::playFrameAt(float t) {
    glViewport(0, 0, 1, 1);
    state_.demoTime = t;
    const FrameResult result = drawFrame(state_, scenes_, t);
    glViewport(0, 0, width_, height_);
    // Thousands of frames in one go: each is sent on its way, as a shown
    // frame would be, so that the browser's queue never fills up.
    gl_->submit();
    return result;
}

void WebShow::setViewport(int width, int height) {
    width_ = width;
    height_ = height;
    reshapeView(width, height);
}
