#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "shell/frame_schedule.h"
#include "shell/sync_file.h"
#include "shell/sync_marks.h"
#include "shell/timing.h"
#include "web/edit_history.h"
#include "web/web_show.h"

// The page's author mode (?edit): the show played, paused, sought and
// stepped on the grid of a 30 frames a second run; its sync marks kept,
// deleted, saved, opened; its timing retimed a handle at a time, opened,
// reset and saved; marks and timing undone and redone in one history. A
// paused frame is the frame of that run that ?at= draws, reached the same
// way: the frames before it played without drawing under the settings and
// the timing of now. Every change goes to the page with the text the
// browser keeps it in, and every refusal is said on the page's status line.
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

    // What a file that the author opened or dropped is taken for.
    enum class FileKind { SyncFile, TimingFile, Either };
    // A file read by the show's own parsers: a sync.txt's marks replace the
    // list, a timing file's times the timing, only when it is one. Either:
    // a text with a line of a sync.txt is one, else it is read as a timing.
    void open(std::string_view name, std::string_view text, FileKind kind);
    // What the browser kept (the texts handed to the page with each
    // change), put back when author mode opens; not a step to undo.
    void restore(std::string_view marksText, std::string_view timingText);

    // A handle of the strip (timingHandles()) moved to t, by a drag or a
    // key: the picture on screen drawn again with the new times, which
    // playing on uses. A time that breaks a rule of the timing is refused
    // in words, and the handle stays. The moves up to finishMove() are one
    // step to undo.
    void moveHandle(int handle, double t);
    void finishMove();
    // The built-in timing, with the show's own music where the page has it.
    void resetTiming();
    // A music file that the author opened, which the page holds, played
    // from now on and named by the timing: a step to undo. A name that a
    // timing file cannot hold is refused.
    bool openMusic(std::string_view name);
    // False, and the reason said, where a music file of that name would be
    // saved in the timing as another name; the page asks before it reads
    // the file, so that the music and the timing stay as they were.
    bool musicNameReadsBack(std::string_view name) const;

    // The whole timing replaced by one fitted to the music's bars
    // (web/music_fit.h): one step to undo.
    void fitToMusic(const Timing& fitted);
    // A mark at each of times (the music's strongest onsets), for the author
    // to keep or delete: one step to undo. Those the list has already, or
    // has no room for, are left out and said.
    void suggestMarks(const std::vector<double>& times);

    void undo();
    void redo();
    // sync.txt: the marks in order of time, then the frame rate of the time played.
    std::string syncText() const;
    // timing.txt: the times of now and the music heard.
    std::string timingText() const { return formatTiming(show_.timing()); }

private:
    void showFrame(long frame);
    void stopPlaying();
    void tellPage() const;
    Edit edit() const { return {show_.state().syncMarks, show_.timing()}; }
    // Marks and timing replaced by changed, undoable as what.
    void change(const Edit& changed, std::string what);
    // The edit of now replaced and the page told. The page plays the music
    // that the timing names; a music that it does not hold is not named:
    // the one playing stays.
    void apply(Edit edit);
    // The show plays to timing from its next frame; a seek reaches its end.
    void useTiming(const Timing& timing);
    void marksChanged() const;
    void timingChanged() const;
    void openMarks(std::string_view name, const SyncFileMarks& read);
    void openTiming(std::string_view name, const TimingRead& read);
    // Where the timing could not name music because the page lacks it, what to do, in words.
    std::string musicNote(const std::string& music) const;
    void swapStep(bool undo);

    WebShow& show_;
    // The timing the show started with (the built-in one, or a timing file's).
    const Timing startTiming_;
    bool playing_ = false;
    long frame_ = 0;
    double shown_ = 0.0;
    long lastFrame_ = 0;
    // Frames drawn and seconds spent while playing, for the frame rate.
    long playedFrames_ = 0;
    double playedMilliseconds_ = 0.0;
    double resumedAt_ = 0.0;
    EditHistory history_;
    // A handle being moved: the edit before the first move, and the handle.
    bool moving_ = false;
    Edit moveFrom_;
    int movedHandle_ = 0;
};
