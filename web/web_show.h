#pragma once

#include <memory>
#include <string>

#include "shell/frame_schedule.h"
#include "shell/framing.h"
#include "shell/show_runner.h"
#include "gl11/gl11_context.h"
#include "gl11/webgl_device.h"

// The show in the page: the show's runner drawing through the OpenGL 1.1
// layer into the page's canvas. Its three ways of running (played with the
// music, one frame, the benchmark) share everything up to the first frame.
class WebShow {
public:
    static constexpr int kWidth = kPictureWidth;
    static constexpr int kHeight = kPictureHeight;

    // Makes the WebGL context and runs the show's start-up; the scenes
    // come later (loadArrivedScenes). The picture as it is (frame and
    // author modes) gets a readable drawing buffer, shown pixel for pixel.
    // False, with error saying why, when there is no WebGL 2.
    bool start(bool pictureAsIs, std::string* error);
    // Loads the scenes whose files the page has put in place since, in the
    // order the show needs them; with all arrived, every scene still
    // missing too (it stays empty, as a missing file leaves it in the
    // window). False, with error saying why, when all have arrived and not
    // one scene could be read. The titles of the timing's words are made
    // once the tiles' texture has arrived; false, with error, for words
    // that make no title.
    bool loadArrivedScenes(bool allArrived, std::string* error);
    // The demo time before which every frame has its scenes.
    double scenesReadyUntil() const;
    // Empty when the page can play timing; else why not, in words: a
    // segment's own scene file brings its textures, which the page has no
    // way to fetch yet ("scene 9: ship.3ds: the page does not play ...").
    static std::string unplayable(const Timing& timing);

    // Play mode: the music has just started; its first sample is heard
    // outputLatency seconds later.
    void startClock(double outputLatency);
    // One frame as the desktop show's display callback draws it; false when
    // the show has ended (nothing is drawn then).
    bool drawNextFrame();
    // Author mode: the clock started from a later demo time, and read.
    void startClockFrom(double outputLatency, double from) { runner_.startClock(outputLatency, from); }
    // Play mode: the music waits for its data, and plays on from demo time from.
    void pauseClock() { runner_.pauseClock(); }
    void resumeClock(double outputLatency, double from) { runner_.resumeClock(outputLatency, from); }
    float clockSeconds() const { return runner_.clockSeconds(); }
    void markStarted() { started_ = true; }
    // Back before the first frame, the settings of keys and menu and the
    // marks kept.
    void rewind() { runner_.rewind(); }
    // ESC: the time the show ended, for the frame rate of sync.txt.
    void stop() { runner_.stop(); }
    // The end: nothing stays of the last frame.
    void clearPicture();
    // "Play again": the state of start-up, the clock not started.
    void reset();
    ShellState& state() { return runner_.state(); }
    // A title is fitted to its segment's length: once made, the titles of
    // the words are made again where the new timing changes them.
    void setTiming(const Timing& timing);
    const Timing& timing() const { return runner_.timing(); }
    bool started() const { return started_; }
    // The segment whose picture is on the canvas: that of the last frame
    // drawn (a frame on a bound draws nothing and leaves the one before);
    // 0 before any.
    int shownSegment() const { return shownSegment_; }

    // The frame at demo time t, drawn whole and finished.
    FrameResult drawFrameAt(float t);
    // The schedule's first written frame reached as orvel-capture reaches
    // it, the frames before drawn with drawFrameAt; returns that frame, for
    // the caller to draw.
    long reachFirstWritten(const FrameSchedule& schedule) {
        return runner_.reachFirstWritten(schedule, [this](float t) { return drawFrameAt(t); });
    }
    // Frame k of a run at kFrameGridFps frames a second, reached and drawn
    // as orvel-capture writes it; returns its demo time.
    float drawGridFrame(long k);
    // Draws whole frames into width x height pixels from now on: the
    // canvas's drawing buffer, or part of it (the benchmark's measure of
    // filling).
    void setViewport(int width, int height) { runner_.reshape(width, height); }
    // The canvas's drawing buffer made width x height, and drawn whole.
    void resizeCanvas(int width, int height);

    // A WebGL error since the last call, 0 for none (a round trip to the
    // browser's graphics process).
    uint32_t takeWebGlError() { return device_ ? device_->takeWebGlError() : 0; }
    // A WebGL error since the last call, if any, on the console as an
    // error of the program, said to have happened when.
    void reportWebGlError(const char* when);
    Gl11Context& gl() { return *gl_; }

private:
    std::unique_ptr<WebGlDevice> device_;
    std::unique_ptr<Gl11Context> gl_;
    // After the context: the scenes' textures go before it.
    ShowRunner runner_;
    bool started_ = false;
    int scenesRead_ = 0;
    int scenesFailed_ = 0;
    bool titlesMade_ = false;
    int shownSegment_ = 0;

    // Keeps what a frame at t drew.
    void drew(FrameResult result, float t);
};
