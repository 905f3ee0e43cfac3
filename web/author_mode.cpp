#include "web/author_mode.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "shell/frame_schedule.h"
#include "shell/sync_file.h"
#include "web/page_bridge.h"

AuthorMode::AuthorMode(WebShow& show)
    : show_(show), lastFrame_(FrameSchedule(show.timing(), kFrameGridFps, 0.0, -1.0).endFrame() - 1) {}

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
    show_.rewind();
    shown_ = show_.drawGridFrame(frame_);
    tellPage();
}

void AuthorMode::tellPage() const { page::authorFrame(shown_, playing_, show_.shownSegment()); }

namespace {

// Each step keeps the whole list (some 400 bytes): a thousand steps back
// cost some 400 kB.
constexpr std::size_t kMaxUndoSteps = 1000;

std::string seconds(double t) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", t);
    return text;
}

std::string countOf(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// What a usable file brought and, where any, what it left out and why.
std::string openedMessage(std::string_view name, const SyncFileMarks& read, double showEnd, const char* done) {
    std::string text = std::string(name) + ": " + countOf(read.marks.count, "mark", "marks") + " " + done;
    std::vector<std::string> reasons;
    auto reason = [&reasons](int n, const std::string& why) {
        if (n > 0) reasons.push_back(std::to_string(n) + " " + why);
    };
    reason(read.pastEnd, "past the show's end (" + seconds(showEnd) + ")");
    reason(read.negative, "negative");
    reason(read.notANumber, "not a number");
    reason(read.repeated, "repeated");
    reason(read.beyondLimit, "beyond the limit of " + std::to_string(kMaxSyncMarks));
    if (reasons.empty()) return text;
    const int left = read.pastEnd + read.negative + read.notANumber + read.repeated + read.beyondLimit;
    text += "; " + std::to_string(left) + " left out: ";
    for (std::size_t i = 0; i < reasons.size(); ++i) text += (i ? ", " : "") + reasons[i];
    return text;
}

// Why a file is not a sync.txt, or nothing when it is one.
const char* refusal(const SyncFileMarks& read) {
    if (read.binary) return "a binary file, not a sync.txt";
    if (read.formatLines == 0) return "no line of a sync.txt in it";
    return nullptr;
}

}  // namespace

void AuthorMode::marksChanged() const {
    const SyncMarks& marks = show_.state().syncMarks;
    // The browser keeps the marks as a sync.txt, in the order recorded,
    // read back by the same parser as any other; its frame rate, no frame
    // over a millisecond, is 0 (no division by zero).
    ShellState kept;
    kept.syncMarks = marks;
    kept.endTicks = 1;
    page::marks(marks.times.data(), marks.count, formatSyncFile(kept));
}

void AuthorMode::change(const SyncMarks& changed, std::string what) {
    SyncMarks& marks = show_.state().syncMarks;
    if (undo_.size() == kMaxUndoSteps) undo_.erase(undo_.begin());
    undo_.push_back({marks, std::move(what)});
    redo_.clear();
    marks = changed;
    marksChanged();
}

void AuthorMode::mark() {
    SyncMarks changed = show_.state().syncMarks;
    switch (addSyncMark(changed, shown_, show_.timing().end())) {
    case MarkResult::Added:
        change(changed, "END at " + seconds(shown_));
        return;
    case MarkResult::Taken:
        page::say("END: " + seconds(shown_) + " is marked already");
        return;
    case MarkResult::Full:
        page::say("END: the list holds " + std::to_string(kMaxSyncMarks) + " marks, its most; delete one first");
        return;
    case MarkResult::OutsideShow:
        page::say("END: " + seconds(shown_) + " is outside the show");
        return;
    }
}

void AuthorMode::deleteMark(int index) {
    SyncMarks changed = show_.state().syncMarks;
    if (index < 0 || index >= changed.count) return;
    const double t = changed.times[std::size_t(index)];
    if (deleteSyncMark(changed, index)) change(changed, "Delete of " + seconds(t));
}

void AuthorMode::clearMarks() {
    if (show_.state().syncMarks.count == 0) return;
    change(SyncMarks(), "Clear marks");
    page::say("Marks cleared (Ctrl+Z brings them back)");
}

void AuthorMode::open(std::string_view name, std::string_view text) {
    const SyncFileMarks read = parseSyncFile(text, show_.timing().end());
    if (const char* why = refusal(read)) {
        page::say(std::string(name) + ": " + why + "; the marks are as they were");
        return;
    }
    change(read.marks, "Open " + std::string(name));
    page::say(openedMessage(name, read, show_.timing().end(), "opened"));
}

void AuthorMode::restore(std::string_view text) {
    const SyncFileMarks read = parseSyncFile(text, show_.timing().end());
    if (const char* why = refusal(read)) {
        page::say(std::string("The marks kept in this browser cannot be read: ") + why);
        return;
    }
    show_.state().syncMarks = read.marks;
    marksChanged();
    page::say(openedMessage("This browser's storage", read, show_.timing().end(), "restored"));
}

void AuthorMode::undo() { swapStep(undo_, redo_, "undo", "Undone"); }

void AuthorMode::redo() { swapStep(redo_, undo_, "redo", "Redone"); }

void AuthorMode::swapStep(std::vector<Step>& from, std::vector<Step>& to, const char* verb, const char* done) {
    if (from.empty()) {
        page::say(std::string("Nothing to ") + verb);
        return;
    }
    Step step = std::move(from.back());
    from.pop_back();
    std::swap(show_.state().syncMarks, step.marks);
    page::say(std::string(done) + ": " + step.what);
    to.push_back(std::move(step));
    marksChanged();
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
