#pragma once

#include <emscripten/html5.h>

#include "web/web_show.h"

// The page's play mode: the show played with the music after the viewer's
// click, from the start or from the frame that ?t= names; its frames wait,
// stalled, where the page has not yet given the show their data (the
// page's music stops there too) and go on when the music does. ESC ends
// it with sync.txt's text for the page; the show's keys work while it plays.
class PlayMode {
public:
    explicit PlayMode(WebShow& show) : show_(show) {}

    // The show's keys, from now on, while it plays.
    void listenToKeys();

    // The first demo time: 0, or the time of the frame that ?t= names.
    double from() const { return from_; }
    void setFrom(double t) { from_ = t; }
    // Frames at demo time t or later wait for their data.
    void setUntil(double t) { until_ = t; }

    // What the frames before the first leave behind, reached before the
    // clock starts (see orvel_reach_start).
    void reachStart();
    // The click: the show starts, its first sample heard outputLatency
    // seconds from now.
    void start(double outputLatency);
    // After a stall: the music has started again from the stall's demo
    // time, heard outputLatency seconds from now.
    void playOn(double outputLatency);
    // Demo time now by the clock, or the stall's while stalled.
    double clock() const { return playing_ && !stalled_ ? show_.clockSeconds() : stalledAt_; }
    // The page cannot go on: the show stops where it is.
    void stop();
    // Back to the state of start-up, unless the show plays.
    void playAgain();

private:
    WebShow& show_;
    bool playing_ = false;
    double from_ = 0.0;
    double until_ = 0.0;
    bool stalled_ = false;
    double stalledAt_ = 0.0;
    // From ?t=: the first frame reached, the clock not started yet.
    bool reachedStart_ = false;

    void end(bool escape);
    void stall();
    static EM_BOOL onAnimationFrame(double, void* self);
    static EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void* self);
};
