// The show in a web browser. The page (web/site/page/main.js) chooses the way it
// runs with the program's arguments, after "--timing FILE" where the site
// has a timing file (the page put it in the program's files): none to play
// the show with its music after a click ("--from T": from demo time T),
// "--edit" for the authors' mode
// (pause, seek, step, marks on the music), "--at T" for the one frame at
// demo time T, "--bench [FPS [WxH]]" to time every segment's frames drawn
// back to back (at FPS frames a second of demo time, 30 unless told; into a
// canvas of WxH pixels instead of the picture's own size: a few pixels tell
// the cost of filling pixels from the rest, a large screen's size what the
// page costs there). "--calm", anywhere among them, runs the calm show.
// The scenes arrive after the program starts, and each mode waits for
// those it needs (orvel_data_arrived). Each mode is a class of its own
// (web/play_mode.h, frame_mode.h, bench_mode.h, author_mode.h): this file
// chooses one and hands it the page's calls.

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/frame_schedule.h"
#include "shell/framing.h"
#include "shell/plain_number.h"
#include "shell/schedule.h"
#include "shell/sync_file.h"
#include "shell/timeline.h"
#include "web/author_mode.h"
#include "web/bench_mode.h"
#include "web/dom_keys.h"
#include "web/frame_mode.h"
#include "web/frame_request.h"
#include "web/music_fit.h"
#include "web/page_bridge.h"
#include "web/play_mode.h"
#include "web/web_show.h"

namespace {

constexpr long kMaxBenchFps = 240;

enum class Mode { Play, Edit, Frame, Bench };
Mode mode = Mode::Play;

WebShow show;
PlayMode play(show);
std::unique_ptr<FrameMode> frame;
std::unique_ptr<BenchMode> bench;

// Author mode: the page handles ESC, space, the arrows and the marks' keys
// (they move the music too); the show's own keys are handled here.

std::unique_ptr<AuthorMode> author;
// A pause and a resume between two animation frames leave the loop
// running: a second one would draw each frame twice.
bool authorLoopRunning = false;

EM_BOOL onAuthorFrame(double, void*) {
    author->animate();
    authorLoopRunning = author->playing();
    return authorLoopRunning ? EM_TRUE : EM_FALSE;
}

EM_BOOL onAuthorKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    if (!show.started()) return EM_FALSE;
    const int special = specialKeyOfDomKey(event->key);
    if (special == 0) return EM_FALSE;
    if (special == kKeyEnd) {
        author->mark();
    } else {
        applySpecialKey(show.state(), special, show.timing().end());
        author->settingsChanged();
    }
    return EM_TRUE;
}

// The calm show turned on or off, and the menu's entry saying which.
void showCalm(bool viewerChose) {
    page::changeMenuEntry(calmMenuLabel(show.state().calm), kMenuCalm);
    page::calm(show.state().calm, viewerChose);
}

void startPlayMode(bool authorMode) {
    for (const MenuEntry& entry : kRenderModeMenu) page::addMenuEntry(entry.label, entry.value);
    page::addMenuEntry(calmMenuLabel(show.state().calm), kMenuCalm);
    showCalm(false);
    if (authorMode) {
        author = std::make_unique<AuthorMode>(show);
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onAuthorKeyDown);
    } else {
        play.listenToKeys();
    }
}

// The demo time before which the mode needs every scene to start: play
// mode's first frame, frame mode's frame; author mode seeks anywhere and
// the benchmark draws every frame.
double neededUntil() {
    switch (mode) {
    case Mode::Play:
        return play.from();
    case Mode::Frame:
        // None when ?at= could not be read: the page has failed already.
        return frame ? frame->neededUntil() : 0.0;
    default:
        return show.timing().end();
    }
}

// The last music fitted, which the page reads with the orvel_fit_ calls.
MusicFit fitted;

}  // namespace

extern "C" {

// The page put the files of one more pack of the site's data in place
// (allArrived: the last): the scenes they bring are loaded, and the mode
// starts once it has what it needs. Returns the demo time before which
// every frame has its scenes.
EMSCRIPTEN_KEEPALIVE double orvel_data_arrived(int allArrived) {
    std::string error;
    if (!show.loadArrivedScenes(allArrived != 0, &error)) page::fail(error);
    const double until = show.scenesReadyUntil();
    const bool ready = until > neededUntil();
    if (frame && ready) frame->scenesReady();
    if (bench && ready && allArrived) bench->scenesReady();
    return until;
}

EMSCRIPTEN_KEEPALIVE double orvel_needed_until() { return neededUntil(); }

// Frame mode, once its frame is drawn: frame k of orvel-capture's schedule
// drawn at once, as ?at= draws it, for a test that compares many frames
// without loading the page for each. Returns 0, drawing nothing, for a
// frame the show does not draw or whose scenes have not come.
EMSCRIPTEN_KEEPALIVE int orvel_frame_draw(long k) { return frame && frame->drawAnother(k) ? 1 : 0; }

// Play mode: frames at demo time t or later wait (the page's music stops
// there); a stall there is said to the page with page::stalled.
EMSCRIPTEN_KEEPALIVE void orvel_play_until(double t) { play.setUntil(t); }

// Play mode, after a stall: the music has just started again from the
// demo time of the stall, heard outputLatency seconds from now.
EMSCRIPTEN_KEEPALIVE void orvel_play_on(double outputLatency) { play.playOn(outputLatency); }

// Demo time now by play mode's clock, for the page's tests.
EMSCRIPTEN_KEEPALIVE double orvel_play_clock() { return play.clock(); }

// The page cannot go on (a file it needs failed): the show stops where it is.
EMSCRIPTEN_KEEPALIVE void orvel_stop() { play.stop(); }

// Play mode from ?t=: what the frames before its first leave behind, as
// orvel-capture --from has it, reached before the page starts the music (it
// takes a while), so that the clock starts with the music.
EMSCRIPTEN_KEEPALIVE void orvel_reach_start() { play.reachStart(); }

// The click: the music has started (or cannot), so the show starts; its
// first sample is heard outputLatency seconds from now.
EMSCRIPTEN_KEEPALIVE void orvel_start(double outputLatency) { play.start(outputLatency); }

EMSCRIPTEN_KEEPALIVE void orvel_menu_choose(int value) {
    applyMenuChoice(show.state(), value);
    if (value == kMenuCalm) showCalm(true);
    if (author) author->settingsChanged();
}

// The first screen's choice, "Play" or "Play calm", before the show starts.
EMSCRIPTEN_KEEPALIVE void orvel_set_calm(int on) {
    show.state().calm = on != 0;
    showCalm(false);
}

// The page sized the canvas's drawing buffer to the screen.
EMSCRIPTEN_KEEPALIVE void orvel_resize(int width, int height) { show.setViewport(width, height); }

// Where the page starts the music: the demo time play mode starts from.
EMSCRIPTEN_KEEPALIVE double orvel_play_from() { return play.from(); }

// "Play again": back to the state of start-up; the page starts the music
// and the show as after the first click.
EMSCRIPTEN_KEEPALIVE void orvel_play_again() { play.playAgain(); }

// Author mode. The page starts or restarts the music from orvel_edit_time()
// before it resumes the show.
EMSCRIPTEN_KEEPALIVE void orvel_edit_resume(double outputLatency) {
    if (!author || author->playing()) return;
    if (!show.started()) page::playing();
    show.markStarted();
    author->resume(outputLatency);
    if (authorLoopRunning) return;
    authorLoopRunning = true;
    emscripten_request_animation_frame_loop(onAuthorFrame, nullptr);
}
EMSCRIPTEN_KEEPALIVE void orvel_edit_pause() {
    if (author) author->pause();
}
EMSCRIPTEN_KEEPALIVE void orvel_edit_seek(double t) {
    if (author) author->seek(t);
}
EMSCRIPTEN_KEEPALIVE void orvel_edit_step(int frames) {
    if (author) author->step(frames);
}
EMSCRIPTEN_KEEPALIVE double orvel_edit_time() { return author ? author->shownTime() : 0.0; }
EMSCRIPTEN_KEEPALIVE double orvel_edit_clock() { return author ? author->clockTime() : 0.0; }
EMSCRIPTEN_KEEPALIVE void orvel_edit_delete_mark(int index) {
    if (author) author->deleteMark(index);
}
EMSCRIPTEN_KEEPALIVE void orvel_edit_clear_marks() {
    if (author) author->clearMarks();
}
// A file opened or dropped: its name and its bytes, as they are, in memory
// the page took with malloc; kind is AuthorMode::FileKind's: 0 a sync.txt,
// 1 a timing file, 2 either.
EMSCRIPTEN_KEEPALIVE void orvel_edit_open(const char* name, int nameSize, const char* text, int textSize, int kind) {
    if (author && kind >= 0 && kind <= 2)
        author->open(std::string_view(name, std::size_t(nameSize)), std::string_view(text, std::size_t(textSize)),
                     AuthorMode::FileKind(kind));
}
EMSCRIPTEN_KEEPALIVE void orvel_edit_restore(const char* marks, int marksSize, const char* timing, int timingSize) {
    if (author)
        author->restore(std::string_view(marks, std::size_t(marksSize)),
                        std::string_view(timing, std::size_t(timingSize)));
}
// Author mode's handles (web/timing_handles.h), by number.
EMSCRIPTEN_KEEPALIVE void orvel_edit_move(int handle, double t) {
    if (author) author->moveHandle(handle, t);
}
EMSCRIPTEN_KEEPALIVE void orvel_edit_finish_move() {
    if (author) author->finishMove();
}
EMSCRIPTEN_KEEPALIVE void orvel_edit_reset_timing() {
    if (author) author->resetTiming();
}
// A music file the author chose, before the page reads it: 0 where the
// timing could not name it as it is named (said on the page).
EMSCRIPTEN_KEEPALIVE int orvel_edit_music_name(const char* name, int nameSize) {
    return author && author->musicNameReadsBack(std::string_view(name, std::size_t(nameSize))) ? 1 : 0;
}
// A music file the author chose, which the page decoded and holds: its name.
// 0 when refused (said on the page).
EMSCRIPTEN_KEEPALIVE int orvel_edit_music(const char* name, int nameSize) {
    return author && author->openMusic(std::string_view(name, std::size_t(nameSize))) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE void orvel_edit_undo() {
    if (author) author->undo();
}
EMSCRIPTEN_KEEPALIVE void orvel_edit_redo() {
    if (author) author->redo();
}
// The text of sync.txt or timing.txt, handed to the page to save.
EMSCRIPTEN_KEEPALIVE void orvel_edit_save() {
    if (author) page::save("sync.txt", author->syncText());
}
EMSCRIPTEN_KEEPALIVE void orvel_edit_save_timing() {
    if (author) page::save(kTimingFile, author->timingText());
}

// Music the page decoded and mixed to mono, count samples at sampleRate in
// memory the page took with malloc, from the file named name, its downbeat
// moved on by downbeatShift beats: its beats and bars found and the show
// fitted to them (web/music_fit.h). 1 when fitted; 0 when refused, and
// orvel_fit_text() says why in one line.
EMSCRIPTEN_KEEPALIVE int orvel_fit_music(const float* samples, int count, double sampleRate, const char* name,
                                         int nameSize, int downbeatShift) {
    fitted = fitMusic(samples, std::size_t(std::max(count, 0)), sampleRate, std::string(name, std::size_t(nameSize)),
                      downbeatShift);
    return fitted.ok() ? 1 : 0;
}
// The music fitted again with its bars from beat firstDownbeat, the beats
// as they are: 1 when fitted, as orvel_fit_music.
EMSCRIPTEN_KEEPALIVE int orvel_fit_downbeat(int firstDownbeat) {
    return moveDownbeat(fitted, firstDownbeat) && fitted.ok() ? 1 : 0;
}
// Author mode: the timing fitted last, or the marks at its music's strongest onsets, as one step to undo.
EMSCRIPTEN_KEEPALIVE void orvel_edit_fit() {
    if (author && fitted.ok()) author->fitToMusic(fitted.timing);
}
EMSCRIPTEN_KEEPALIVE void orvel_edit_suggest_marks() {
    if (author && fitted.grid.found()) author->suggestMarks(fitted.strongOnsets);
}
// Play mode, before the start: the show plays to the timing fitted last,
// from its beginning, to the viewer's own music, which the page holds.
// Returns the show's end, or -1 where nothing was fitted or the show has started.
EMSCRIPTEN_KEEPALIVE double orvel_play_fitted() {
    if (mode != Mode::Play || show.started() || !fitted.ok()) return -1.0;
    show.setTiming(fitted.timing);
    play.setFrom(0.0);
    return show.timing().end();
}
// The fitted timing's text, or why the music was refused.
EMSCRIPTEN_KEEPALIVE const char* orvel_fit_text() {
    return fitted.ok() ? fitted.timingText.c_str() : fitted.error.c_str();
}
EMSCRIPTEN_KEEPALIVE const double* orvel_fit_beats() { return fitted.grid.beats.data(); }
EMSCRIPTEN_KEEPALIVE int orvel_fit_beat_count() { return int(fitted.grid.beats.size()); }
EMSCRIPTEN_KEEPALIVE int orvel_fit_first_downbeat() { return fitted.grid.firstDownbeat; }
EMSCRIPTEN_KEEPALIVE int orvel_fit_beats_per_bar() { return fitted.grid.beatsPerBar; }

}  // extern "C"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const auto calm = std::find(args.begin(), args.end(), std::string("--calm"));
    if (calm != args.end()) {
        show.state().calm = true;
        args.erase(calm);
    }
    // The times the show plays to: the site's timing file where the page
    // put one in the program's files (its name as the site has it, for its
    // messages), else the built-in timing. The page fetches the music it
    // names, and says so where the site lacks it.
    std::string timingFile;
    if (args.size() >= 2 && args[0] == "--timing") {
        timingFile = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    const TimingRead timing =
        timingFile.empty() ? TimingRead{true, builtInTiming(), "", 0} : readTimingFile(timingFile);
    if (!timing.ok) {
        page::fail(timing.error);
        return 0;
    }
    const std::string unplayable = WebShow::unplayable(timing.timing);
    if (!unplayable.empty()) {
        page::fail(timingFile + ": " + unplayable);
        return 0;
    }
    show.setTiming(timing.timing);

    const bool frameMode = !args.empty() && args[0] == "--at";
    const bool fromMode = !args.empty() && args[0] == "--from";
    const bool benchMode = !args.empty() && args[0] == "--bench";
    const bool authorMode = !args.empty() && args[0] == "--edit";
    mode = frameMode ? Mode::Frame : benchMode ? Mode::Bench : authorMode ? Mode::Edit : Mode::Play;
    FrameRequest request;
    if (frameMode || fromMode) {
        request = parseFrameRequest(show.timing(), frameMode ? "at" : "t", args.size() > 1 ? args[1] : std::string(),
                                    kFrameGridFps);
        if (!request.ok) {
            page::fail(request.error);
            return 0;
        }
        if (fromMode) play.setFrom(double(request.frame) / kFrameGridFps);
    }
    std::string error;
    if (!show.start(frameMode || authorMode, &error)) {
        page::fail(error);
        return 0;
    }
    if (frameMode) {
        frame = std::make_unique<FrameMode>(show, request.frame);
    } else if (benchMode) {
        // A rate or a size that cannot be read leaves the default.
        long fps = kFrameGridFps;
        if (args.size() > 1 && !parseWholeNumber(args[1], 1, kMaxBenchFps, &fps)) fps = kFrameGridFps;
        int width = 0;
        int height = 0;
        if (args.size() > 2 && parseFrameSize(args[2], kMaxCanvasSide, &width, &height)) {
            show.resizeCanvas(width, height);
            std::printf("orvel: benchmark in a canvas of %dx%d pixels\n", width, height);
        }
        bench = std::make_unique<BenchMode>(show, int(fps));
    } else {
        startPlayMode(authorMode);
    }
    page::ready(WebShow::kWidth, WebShow::kHeight, kMaxCanvasSide, kMaxSyncFileBytes, kMaxTimingFileBytes,
                show.timing().music.c_str(),
                ORVEL_VERSION, show.timing().end());
    return 0;
}
