#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/frame_schedule.h"
#include "shell/sync_marks.h"
#include "web/web_show.h"

// The page's author mode (?edit): the show played, paused, sought and
// stepped on the grid of a 30 frames a second run, its sync marks kept,
// deleted, saved, opened, undone and redone. A paused frame is the frame of
// that run that ?at= draws, reached the same way: the frames before it
// played without drawing under the settings of now. Every change to the
// marks goes to the page with the text the browser keeps them in, and
// every refusal is said on the page's status line.
class AuthorMode {
public:
    explicit AuthorMode(WebShow& show);

    bool playing() const { return playing_; }
    // The demo time of the picture on screen.
    double shownTime() const { return shown_; }
    // Demo time now: the clock's while playing, else the picture's.
    double clockTime() const;

    // Plays on from the frame on screen; the page has just started the
    // music from shownTime(), heard outputLatency seconds later.
    void resume(double outputLatency);
    // Stops on the frame of the grid nearest the picture on screen.
    void pause();
    // Pauses (if playing) and shows the frame of the grid nearest t.
    void seek(double t);
    // Pauses (if playing) and shows the frame frames after the one on screen.
    void step(long frames);
    // The animation frame while playing: the next frame, or at the end, a
    // pause on the last frame.
    void animate();
    // After a key or menu choice that changes the picture: the paused frame
    // drawn again under the settings of now.
    void settingsChanged();

    // END: a mark at the time of the picture on screen, or the reason why not.
    void mark();
    // The mark recorded index-th (0 first) taken out.
    void deleteMark(int index);
    void clearMarks();
    // A sync.txt that the author opened or dropped, read by the show's own
    // parser: its marks replace the list only when it is one.
    void open(std::string_view name, std::string_view text);
    // The marks the browser kept (the text handed to the page with each
    // change), put back when author mode opens; not a step to undo.
    void restore(std::string_view text);
    void undo();
    void redo();
    // sync.txt: the marks in order of time, then the frame rate of the time played.
    std::string syncText() const;

private:
    // The marks before a change, and what the change was.
    struct Step {
        SyncMarks marks;
        std::string what;
    };

    void showFrame(long frame);
    void stopPlaying();
    void tellPage() const;
    // Undo or redo: the last step of from is taken back and handed to to.
    void swapStep(std::vector<Step>& from, std::vector<Step>& to, const char* verb, const char* done);
    // The marks replaced by changed, undoable as what.
    void change(const SyncMarks& changed, std::string what);
    void marksChanged() const;

    WebShow& show_;
    bool playing_ = false;
    long frame_ = 0;
    double shown_ = 0.0;
    long lastFrame_;
    // Frames drawn and seconds spent while playing, for the frame rate.
    long playedFrames_ = 0;
    double playedMilliseconds_ = 0.0;
    double resumedAt_ = 0.0;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
};
