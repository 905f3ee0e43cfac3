#include "web/author_mode.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "shell/frame_schedule.h"
#include "shell/sync_file.h"
#include "web/page_bridge.h"

AuthorMode::AuthorMode(WebShow& show)
    : show_(show), lastFrame_(FrameSchedule(kFrameGridFps, 0.0, -1.0).endFrame() - 1) {}

double AuthorMode::clockTime() const { return playing_ ? double(show_.clockSeconds()) : shown_; }

void AuthorMode::resume(double outputLatency) {
    if (playing_) return;
    playing_ = true;
    resumedAt_ = emscripten_get_now();
    show_.startClockFrom(outputLatency, shown_);
    tellPage();
}

void AuthorMode::stopPlaying() {
    if (!playing_) return;
    playing_ = false;
    playedMilliseconds_ += emscripten_get_now() - resumedAt_;
}

void AuthorMode::pause() {
    if (!playing_) return;
    stopPlaying();
    showFrame(std::lround(shown_ * kFrameGridFps));
}

void AuthorMode::seek(double t) {
    stopPlaying();
    showFrame(std::isfinite(t) ? std::lround(t * kFrameGridFps) : 0);
}

void AuthorMode::step(long frames) {
    if (playing_) {
        stopPlaying();
        frame_ = std::lround(shown_ * kFrameGridFps);
    }
    showFrame(frame_ + frames);
}

void AuthorMode::animate() {
    if (!playing_) return;
    const double t = show_.state().demoTime;
    if (!show_.drawNextFrame()) {
        // The show is over: it stays on its last frame, paused.
        stopPlaying();
        showFrame(lastFrame_);
        return;
    }
    ++playedFrames_;
    shown_ = t;
    tellPage();
}

void AuthorMode::settingsChanged() {
    if (!playing_) showFrame(frame_);
}

void AuthorMode::showFrame(long frame) {
    frame_ = std::clamp(frame, 0L, lastFrame_);
    const FrameSchedule schedule(kFrameGridFps, double(frame_) / kFrameGridFps, double(frame_) / kFrameGridFps);
    show_.rewind();
    for (long k = show_.playUntilPictures(schedule); k < schedule.endFrame(); ++k) show_.drawFrameAt(schedule.time(k));
    shown_ = schedule.time(frame_);
    tellPage();
}

void AuthorMode::tellPage() const { page::authorFrame(shown_, playing_); }

bool AuthorMode::mark() {
    SyncMarks& marks = show_.state().syncMarks;
    const bool added = addSyncMark(marks, shown_) == MarkResult::Added;
    if (added) page::marks(marks.times.data(), marks.count);
    return added;
}

void AuthorMode::deleteMark(int index) {
    SyncMarks& marks = show_.state().syncMarks;
    if (deleteSyncMark(marks, index)) page::marks(marks.times.data(), marks.count);
}

void AuthorMode::clearMarks() {
    show_.state().syncMarks = SyncMarks();
    page::marks(nullptr, 0);
}

bool AuthorMode::addMark(double t) {
    SyncMarks& marks = show_.state().syncMarks;
    const bool added = addSyncMark(marks, t) == MarkResult::Added;
    if (added) page::marks(marks.times.data(), marks.count);
    return added;
}

std::string AuthorMode::syncText() const {
    ShellState saved = show_.state();
    std::sort(saved.syncMarks.times.begin(), saved.syncMarks.times.begin() + saved.syncMarks.count);
    double milliseconds = playedMilliseconds_;
    if (playing_) milliseconds += emscripten_get_now() - resumedAt_;
    // No time played yet: a rate of 0 rather than a division by zero.
    saved.frameCount = milliseconds >= 1.0 ? int32_t(playedFrames_) : 0;
    saved.startTicks = 0;
    saved.endTicks = std::max(1, int32_t(std::lround(milliseconds)));
    return formatSyncFile(saved);
}
