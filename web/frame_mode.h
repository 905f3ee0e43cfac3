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
    // Once the frame is drawn: frame k drawn at once in its place, when the
    // show draws it and its scenes have come (false, drawing nothing, else).
    bool drawAnother(long k);

private:
    WebShow& show_;
    long frame_;
    bool asked_ = false;

    static void draw(void* self);
};
