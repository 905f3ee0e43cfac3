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
// those it needs (orvel_data_arrived).

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
#include "web/dom_keys.h"
#include "web/frame_request.h"
#include "web/page_bridge.h"
#include "web/web_show.h"

namespace {

constexpr long kMaxBenchFps = 240;
// The frames a step of the bench mode draws before it lets the page breathe.
constexpr double kStepMilliseconds = 40.0;

enum class Mode { Play, Edit, Frame, Bench };
Mode mode = Mode::Play;

WebShow show;
bool playing = false;
// Play mode's first demo time: 0, or the time of the frame that ?t= names.
double playFrom = 0.0;
// Play mode: frames at this demo time or later wait for their data (the
// page's music stops there too); stalled at stalledAt while they wait.
double playUntil = 0.0;
bool stalled = false;
double stalledAt = 0.0;
// Play mode from ?t=: the first frame reached, the clock not started yet.
bool reachedStart = false;

void checkWebGl(const char* when) {
    const uint32_t error = show.takeWebGlError();
    if (error == 0) return;
    char text[96];
    std::snprintf(text, sizeof text, "orvel: WebGL error 0x%04x %s", unsigned(error), when);
    page::reportError(text);
}

void logMilliseconds(const char* what) {
    std::printf("orvel: %s %.0f ms after the page began loading\n", what, page::millisecondsSinceLoad());
}

// Play mode.

void endShow(bool escape) {
    playing = false;
    stalled = false;
    show.stop();
    show.clearPicture();
    checkWebGl("while playing");
    page::ended(escape ? formatSyncFile(show.state()) : std::string());
}

void stall() {
    stalled = true;
    stalledAt = playUntil;
    show.pauseClock();
    page::stalled(stalledAt);
}

EM_BOOL onAnimationFrame(double, void*) {
    if (!playing) return EM_FALSE;
    if (show.state().demoTime >= playUntil) {
        stall();
        return EM_FALSE;
    }
    const bool first = show.state().frameCount == 0;
    const double t = show.state().demoTime;
    if (!show.drawNextFrame()) {
        endShow(false);
        return EM_FALSE;
    }
    page::playedFrame(t, show.shownSegment());
    if (first) logMilliseconds("first frame of the show drawn");
    return EM_TRUE;
}

bool fullScreen() {
    EmscriptenFullscreenChangeEvent status;
    return emscripten_get_fullscreen_status(&status) == EMSCRIPTEN_RESULT_SUCCESS && status.isFullscreen;
}

EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* event, void*) {
    if (!playing) return EM_FALSE;
    const std::string key = event->key;
    if (key == kDomEscapeKey) {
        // In full screen the browser takes ESC to leave it; the next one ends the show.
        if (fullScreen()) return EM_FALSE;
        endShow(true);
        return EM_TRUE;
    }
    const int special = specialKeyOfDomKey(key);
    if (special == 0) return EM_FALSE;
    applySpecialKey(show.state(), special, show.timing().end());
    return EM_TRUE;
}

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
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKeyDown);
    }
}

// Frame mode: the frame that ?at= names, as orvel-capture writes it, once
// its scenes are in place.

long requestedFrame = 0;
bool frameAsked = false;

void drawRequestedFrame(void*) {
    show.drawGridFrame(requestedFrame);
    checkWebGl("while drawing the frame");
    logMilliseconds("frame on the canvas");
    page::frameDone();
}

// Bench mode: the whole show at a fixed step, each frame drawn whole and
// finished, timed by segment.

struct BenchRun {
    FrameSchedule schedule{builtInTiming(), kFrameGridFps, 0.0, -1.0};
    long next = 0;
    std::vector<long> frames = std::vector<long>(kSegmentCount + 1, 0);
    std::vector<double> milliseconds = std::vector<double>(kSegmentCount + 1, 0.0);
};
BenchRun benchRun;
bool benchStarted = false;

std::string benchReport() {
    std::string report;
    char line[128];
    long allFrames = 0;
    double allMilliseconds = 0.0;
    for (int s = 1; s <= kSegmentCount; ++s) {
        const long n = benchRun.frames[std::size_t(s)];
        const double ms = benchRun.milliseconds[std::size_t(s)];
        allFrames += n;
        allMilliseconds += ms;
        std::snprintf(line, sizeof line, "segment %2d: %5ld frames, %7.1f frames per second\n", s, n,
                      ms > 0.0 ? 1000.0 * double(n) / ms : 0.0);
        report += line;
    }
    std::snprintf(line, sizeof line, "all:        %5ld frames, %7.1f frames per second\n", allFrames,
                  allMilliseconds > 0.0 ? 1000.0 * double(allFrames) / allMilliseconds : 0.0);
    report += line;
    return report;
}

void benchStep(void*) {
    const double begin = emscripten_get_now();
    const FrameSchedule& schedule = benchRun.schedule;
    while (benchRun.next < schedule.endFrame()) {
        const float t = schedule.time(benchRun.next++);
        const double before = emscripten_get_now();
        if (show.drawFrameAt(t) == FrameResult::Ended) break;
        const std::size_t segment = std::size_t(findSegment(show.timing(), t));
        benchRun.frames[segment] += 1;
        benchRun.milliseconds[segment] += emscripten_get_now() - before;
        if (emscripten_get_now() - begin > kStepMilliseconds && benchRun.next < schedule.endFrame()) {
            emscripten_async_call(benchStep, nullptr, 0);
            return;
        }
    }
    checkWebGl("while benchmarking");
    const std::string report = benchReport();
    std::printf("%s", report.c_str());
    page::benchDone(report);
}

// The demo time before which the mode needs every scene to start: play
// mode's first frame, frame mode's frame; author mode seeks anywhere and
// the benchmark draws every frame.
double neededUntil() {
    switch (mode) {
    case Mode::Play:
        return playFrom;
    case Mode::Frame:
        return double(requestedFrame) / kFrameGridFps;
    default:
        return show.timing().end();
    }
}

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
    if (mode == Mode::Frame && ready && !frameAsked) {
        frameAsked = true;
        emscripten_async_call(drawRequestedFrame, nullptr, 0);
    }
    if (mode == Mode::Bench && ready && allArrived && !benchStarted) {
        benchStarted = true;
        emscripten_async_call(benchStep, nullptr, 0);
    }
    return until;
}

EMSCRIPTEN_KEEPALIVE double orvel_needed_until() { return neededUntil(); }

// Play mode: frames at demo time t or later wait (the page's music stops
// there); a stall there is said to the page with page::stalled.
EMSCRIPTEN_KEEPALIVE void orvel_play_until(double t) { playUntil = t; }

// Play mode, after a stall: the music has just started again from the
// demo time of the stall, heard outputLatency seconds from now.
EMSCRIPTEN_KEEPALIVE void orvel_play_on(double outputLatency) {
    if (!playing || !stalled) return;
    stalled = false;
    show.resumeClock(outputLatency, stalledAt);
    emscripten_request_animation_frame_loop(onAnimationFrame, nullptr);
}

// Demo time now by play mode's clock, for the page's tests.
EMSCRIPTEN_KEEPALIVE double orvel_play_clock() { return playing && !stalled ? show.clockSeconds() : stalledAt; }

// The page cannot go on (a file it needs failed): the show stops where it is.
EMSCRIPTEN_KEEPALIVE void orvel_stop() {
    playing = false;
    stalled = false;
}

// Play mode from ?t=: what the frames before its first leave behind, as
// orvel-capture --from has it, reached before the page starts the music (it
// takes a while), so that the clock starts with the music.
EMSCRIPTEN_KEEPALIVE void orvel_reach_start() {
    if (show.started() || reachedStart || playFrom <= 0.0) return;
    reachedStart = true;
    show.reachFirstWritten(FrameSchedule(show.timing(), kFrameGridFps, playFrom, playFrom));
    // sync.txt's frame rate counts the frames drawn while the clock runs.
    show.state().frameCount = 0;
}

// The click: the music has started (or cannot), so the show starts; its
// first sample is heard outputLatency seconds from now.
EMSCRIPTEN_KEEPALIVE void orvel_start(double outputLatency) {
    if (show.started()) return;
    if (playFrom > 0.0) {
        orvel_reach_start();
        reachedStart = false;
        show.startClockFrom(outputLatency, playFrom);
        show.markStarted();
    } else {
        show.startClock(outputLatency);
    }
    playing = true;
    stalled = false;
    page::playing();
    emscripten_request_animation_frame_loop(onAnimationFrame, nullptr);
}

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
EMSCRIPTEN_KEEPALIVE double orvel_play_from() { return playFrom; }

// "Play again": back to the state of start-up; the page starts the music
// and the show as after the first click.
EMSCRIPTEN_KEEPALIVE void orvel_play_again() {
    if (playing) return;
    show.reset();
}

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
        if (fromMode) playFrom = double(request.frame) / kFrameGridFps;
    }
    std::string error;
    if (!show.start(frameMode || authorMode, &error)) {
        page::fail(error);
        return 0;
    }
    if (frameMode) {
        requestedFrame = request.frame;
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
        benchRun.schedule = FrameSchedule(show.timing(), int(fps), 0.0, -1.0);
    } else {
        startPlayMode(authorMode);
    }
    page::ready(WebShow::kWidth, WebShow::kHeight, kMaxCanvasSide, kMaxSyncFileBytes, kMaxTimingFileBytes,
                show.timing().music.c_str(),
                ORVEL_VERSION, show.timing().end());
    return 0;
}
