#include "web/frame_mode.h"

#include <emscripten/emscripten.h>

#include "web/page_bridge.h"

double FrameMode::neededUntil() const { return double(frame_) / kFrameGridFps; }

void FrameMode::scenesReady() {
    if (asked_) return;
    asked_ = true;
    emscripten_async_call(draw, this, 0);
}

void FrameMode::draw(void* self) {
    FrameMode& mode = *static_cast<FrameMode*>(self);
    mode.show_.drawGridFrame(mode.frame_);
    mode.show_.reportWebGlError("while drawing the frame");
    page::logSinceLoad("frame on the canvas");
    page::frameDone();
}
