#include "web/frame_mode.h"

#include <emscripten/emscripten.h>

#include "shell/frame_schedule.h"
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

bool FrameMode::drawAnother(long k) {
    const long end = FrameSchedule(show_.timing(), kFrameGridFps, 0.0, -1.0).endFrame();
    if (!asked_ || k < 0 || k >= end || show_.scenesReadyUntil() <= double(k) / kFrameGridFps) return false;
    // As from the page's load: the frames before it are played again.
    show_.rewind();
    show_.drawGridFrame(k);
    show_.reportWebGlError("while drawing the frame");
    return true;
}
