#pragma once

#include <string>

struct Timing;

// Which frames a capture plays, draws and writes. Frame k shows demo time
// k / fps. Every frame from 0 on is played, in order, even when the capture
// starts later: the show carries state from frame to frame (rotation
// angles, field of view, the current colour, the texture matrix), and only
// playing every frame gives each written one the state it has when the
// show plays at this rate. Playing a frame without drawing it costs
// microseconds. Frames whose time lies in [from, to] are written.
// The rate of the run whose frames a single moment names: the page's ?at=
// draws, and its author mode pauses and steps on, the frames of a run at
// this rate, the frames that orvel-capture writes unless told another.
constexpr int kFrameGridFps = 30;

class FrameSchedule {
public:
    // to < 0: until the show ends, as timing ends it; so does a to past
    // the end. A from past the end writes nothing.
    FrameSchedule(const Timing& timing, int fps, double from, double to);

    // The demo time of frame k of a run at fps frames a second, as the
    // show's clock hands it over.
    static float timeOf(long k, int fps) { return float(double(k) / fps); }
    // The frame nearest to t on the grid of fps frames a second: a time
    // that sync.txt writes to the microsecond names its frame.
    static long nearestFrame(double t, int fps);

    int fps() const { return fps_; }
    float time(long k) const { return timeOf(k, fps_); }
    // The first frame written.
    long firstWritten() const { return first_; }
    // One past the last frame drawn: the last frame written, or the last
    // frame before the show ends.
    long endFrame() const { return end_; }
    long writtenCount() const { return end_ > first_ ? end_ - first_ : 0; }
    bool written(long k) const { return k >= first_ && k < end_; }
    // Frames before the first written one are only played for what they
    // leave behind, except the one just before it: a first written frame
    // on a window bound draws nothing and shows that picture.
    bool needsPicture(long k) const { return k + 1 >= first_; }

private:
    int fps_;
    long first_;
    long end_;
};

// Empty when t, a time that option gave on a command line, is not past the
// end of the show that timing plays; else "--from lies past the end of the
// show (121.16 s)". A program that takes a time asks this before it turns
// the time into anything else, and refuses the command line.
std::string pastTheEnd(const std::string& option, double t, const Timing& timing);
