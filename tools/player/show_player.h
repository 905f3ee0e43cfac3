#pragma once

#include <string>
#include <thread>
#include <vector>

#include "offscreen/offscreen_context.h"
#include "shell/show_runner.h"

// The show drawn into memory instead of a window: the same renderer, the
// same start-up state and the same projection, in an OSMesa context. The
// 4:3 picture fills the largest centred rectangle of a frame of any shape.
// With a supersample factor n, the frame is drawn at n times the width and
// height (lines n pixels wide, so that they keep their weight) and its
// pixels are averaged n x n into the picture. Time is handed in by the
// caller instead of read from a clock.
class ShowPlayer {
public:
    ShowPlayer(int width, int height, int supersample = 1);

    // False when no offscreen context could be made; error() says why.
    bool ok() const { return context_.ok(); }
    const std::string& error() const { return context_.error(); }
    // The picture's size.
    int width() const { return width_; }
    int height() const { return height_; }

    // The times the show plays to; the built-in timing until told another.
    void setTiming(const Timing& timing) { runner_.setTiming(timing); }
    // The calm show (shell/calm.h) instead of the ordinary one: before start().
    void setCalm(bool calm) { runner_.state().calm = calm; }

    // The show's start-up, with the scenes from the working directory.
    // Returns one line per scene that failed.
    std::vector<std::string> start();
    const std::vector<std::string>& segmentSceneFailures() const { return runner_.segmentSceneFailures(); }

    // Draws the frame at demo time t and waits until its pixels are in
    // memory. On Skipped the picture is the previous one: the show then
    // swaps in a buffer that nothing drew.
    FrameResult drawFrame(float t);

    // Plays the frame at demo time t for what it leaves behind only (the
    // angles and field of view it stores, the colour and texture matrix it
    // leaves), without drawing it.
    FrameResult playFrame(float t) { return runner_.playAt(t); }
    // Plays the frames of the schedule before those that need a picture;
    // returns the first frame to draw.
    long playUntilPictures(const FrameSchedule& schedule) { return runner_.playUntilPictures(schedule); }

    // The picture of the last frame drawn, RGBA, 4 bytes a pixel, bottom
    // row first; when supersampling, averaged from the drawn frame.
    const unsigned char* pixels();

    // When supersampling, a frame is averaged beside the drawing of the
    // next: drawFrame starts it, and the next drawFrame waits for it before
    // the new frame's pixels land. Then, after drawFrame, the picture of
    // the frame drawn before it is complete here until the next drawFrame.
    bool averagesBeside() const { return supersample_ > 1; }
    const unsigned char* previousPixels() const { return pictures_[ready_].data(); }
    // Seconds spent waiting for averaging, in drawFrame and pixels.
    double averageWaitSeconds() const { return averageWaitSeconds_; }

    ~ShowPlayer();
    ShowPlayer(const ShowPlayer&) = delete;
    ShowPlayer& operator=(const ShowPlayer&) = delete;

private:
    void startAveraging();
    void finishAveraging();

    // Declared first: the scenes' textures live in this context.
    OffscreenContext context_;
    int width_;
    int height_;
    int supersample_;
    // Two pictures: the last one averaged, and the one being averaged.
    std::vector<unsigned char> pictures_[2];
    int ready_ = 0;
    int averagingInto_ = 0;
    std::thread averaging_;
    double averageWaitSeconds_ = 0.0;
    ShowRunner runner_;
};
