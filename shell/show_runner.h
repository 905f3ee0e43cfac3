#pragma once

#include <functional>
#include <string>
#include <vector>

#include "shell/demo_clock.h"
#include "shell/frame_schedule.h"
#include "shell/scene_table.h"
#include "shell/shell_state.h"
#include "shell/timing.h"

enum class FrameResult {
    // A segment ran: the back buffer holds the new frame.
    Drawn,
    // t lies on a window bound: nothing was cleared or drawn, and the
    // picture is the frame before.
    Skipped,
    // t lies past the end of the show: nothing was drawn.
    Ended,
};

// The show's drawing state and its steps, for every program that plays the
// show: the window, the page, the capture tool and the frame benchmark. It
// draws into whatever OpenGL context is current.
class ShowRunner {
public:
    // The start-up, in a current context, in the show's order: the fixed
    // OpenGL state, the shade table, then the scenes from the working
    // directory, and the segments' own scenes that the timing gives them
    // (shell/segment_scenes.h). Returns one line per scene that could not be
    // loaded.
    std::vector<std::string> start();
    // The lines of start()'s result for the segments' own scenes: a scene
    // that the timing names and that cannot be drawn, which the programs
    // refuse to play.
    const std::vector<std::string>& segmentSceneFailures() const { return segmentSceneFailures_; }
    // The same start-up without the scenes, for a program whose scene files
    // arrive later (the page): it loads each with loadScene as it comes.
    void startWithoutScenes();
    // One scene, from the working directory; false, with failure saying
    // why, when it cannot be read (it stays empty, as start() leaves it).
    bool loadScene(SceneId id, std::string* failure) { return scenes_.load(id, failure); }
    // The segments' own scenes that the timing gives them, made again
    // (start() makes them with the scenes); the lines of loadSegmentScenes.
    std::vector<std::string> loadSegmentScenes();

    // A new frame size: the 4:3 picture in the frame's largest centred 4:3
    // rectangle (the clear still blanks the whole frame, so the bars are
    // black). A frame drawn supersample times larger for averaging keeps
    // the rectangle of the frame at its own size, scaled. A size of 0
    // changes nothing.
    void reshape(int width, int height, int supersample = 1);

    // The times the show plays to: the built-in timing until told another.
    // A new timing takes effect from the next frame; an author's retiming
    // rewinds and replays to show its effect.
    void setTiming(const Timing& timing) { timing_ = timing; }
    const Timing& timing() const { return timing_; }

    // Back to the state just after start(): no frame played, the keys' and
    // the menu's settings as at start-up, no marks, but the calm show as
    // chosen last: a viewer who needs it keeps it. The scenes stay loaded.
    void reset();
    // Back to the state before the first frame, but for what the keys, the
    // menu and END have set, which stays: an author's seek replays the
    // frames up to the one sought under the settings of now.
    void rewind();

    // The frame at demo time t: counts it, sets what the frames before left
    // in OpenGL, decides the frame and draws it. Everything but the buffer
    // swap.
    FrameResult drawAt(float t);
    // The same frame for what it leaves behind only (angles, field of view,
    // colour, texture matrix), as plain values and without an OpenGL call:
    // the frames before a late start are played so, in microseconds each.
    FrameResult playAt(float t);
    // Plays, with playAt, the frames of a fixed-step run that need no
    // picture: those before the first written one but the frame just before
    // it. Returns the first frame to draw.
    long playUntilPictures(const FrameSchedule& schedule);
    // Reaches the schedule's first written frame as orvel-capture does: the
    // frames before it played (playUntilPictures), and the one just before
    // it drawn with draw, since a first frame on a window bound draws
    // nothing and shows that picture. draw is drawAt and whatever the
    // program adds to a frame (a finish, an average). Returns the first
    // written frame, for the caller to draw.
    long reachFirstWritten(const FrameSchedule& schedule, const std::function<FrameResult(float)>& draw);

    // The counter that the show's clock and the frame rate of sync.txt
    // read: the steady counter until told another (a test's), which must
    // outlive the runner.
    void useCounter(const Counter& counter);
    // The show's clock starts as its music does; the first sample is heard
    // outputLatency seconds later. Music started from a later point of the
    // show (an author's seek) starts the clock from that demo time.
    void startClock(double outputLatency, double from = 0.0);
    // Demo time now, by the clock.
    float clockSeconds() const;
    // The music waits for its data (the page on a slow link): the clock
    // stops, and starts again as the music does, from demo time from. The
    // frame rate of sync.txt leaves the time waited out.
    void pauseClock();
    void resumeClock(double outputLatency, double from);
    // One display call of the show: the frame at the demo time, then the
    // clock. The next frame is drawn at the time this one ended. The caller
    // shows the frame (swaps the buffers) unless the show has ended.
    FrameResult displayFrame();
    // ESC or the end: the time the show stopped, for the frame rate of sync.txt.
    void stop();

    ShellState& state() { return state_; }
    const ShellState& state() const { return state_; }
    const SceneTable& scenes() const { return scenes_; }

private:
    Timing timing_ = builtInTiming();
    ShellState state_;
    ShellState startState_;
    SceneTable scenes_;
    std::vector<std::string> segmentSceneFailures_;
    const Counter* counter_ = &steadyCounter();
    DemoClock clock_;
    double clockFrom_ = 0.0;
    int32_t pausedTicks_ = 0;
};
