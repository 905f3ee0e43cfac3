#pragma once

#include "web/web_show.h"

// The page's frame mode (?at=): the one frame that orvel-capture writes at
// that time, drawn once its scenes are in place.
class FrameMode {
public:
    FrameMode(WebShow& show, long frame) : show_(show), frame_(frame) {}

    // The demo time before which the frame needs every scene.
    double neededUntil() const;
    // The scenes that arrived reach past neededUntil(): the frame is drawn
    // soon after, once.
    void scenesReady();

private:
    WebShow& show_;
    long frame_;
    bool asked_ = false;

    static void draw(void* self);
};
