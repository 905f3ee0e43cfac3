#include "web/author_mode.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "shell/calm.h"
#include "shell/frame_schedule.h"
#include "shell/sync_file.h"
#include "web/page_bridge.h"
#include "web/timing_handles.h"

namespace {

std::string seconds(double t) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", t);
    return text;
}

std::string countOf(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// What a usable sync.txt brought and, where any, what it left out and why.
std::string marksTaken(const SyncFileMarks& read, double showEnd, const char* done) {
    std::string text = countOf(read.marks.count, "mark", "marks") + " " + done;
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
const char* syncRefusal(const SyncFileMarks& read) {
    if (read.binary) return "a binary file, not a sync.txt";
    if (read.formatLines == 0) return "no line of a sync.txt in it";
    return nullptr;
}

constexpr const char* kBothKept = "the marks and the timing are as they were";

// A timing reader's refusal of file name, with its line where it names
// one: "timing.txt:7: ...".
std::string timingRefusal(std::string_view name, const TimingRead& read) {
    return std::string(name) + (read.line > 0 ? ":" + std::to_string(read.line) : "") + ": " + read.error;
}

// The same of a text with no name: "line 7: ...".
std::string timingRefusal(const TimingRead& read) {
    return (read.line > 0 ? "line " + std::to_string(read.line) + ": " : "") + read.error;
}

}  // namespace

AuthorMode::AuthorMode(WebShow& show) : show_(show), startTiming_(show.timing()) {
    std::string names;
    std::string kinds;
    for (const TimingHandle& handle : timingHandles()) {
        names += handle.name + "\n";
        kinds += handle.bound ? 'b' : handle.opensWindow ? 'w' : 'm';
    }
    page::handles(names, kinds, kFrameGridFps);
    useTiming(show.timing());
}

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

void AuthorMode::timingChanged() const {
    const Timing& timing = show_.timing();
    std::vector<double> times;
    for (std::size_t h = 0; h < timingHandles().size(); ++h) times.push_back(handleTime(timing, int(h)));
    std::vector<double> breaks;
    for (const schedule::Window& stretch : calm::changedStretches(timing)) {
        breaks.push_back(stretch.begin);
        breaks.push_back(stretch.end);
    }
    page::ruleBreaks(breaks.data(), int(breaks.size()));
    // The timing the show started with is kept as nothing: a later build's
    // own times (or the site's timing file's) then stand.
    page::timing(timing.bounds, int(std::size(timing.bounds)), times.data(), int(times.size()),
                 timing == startTiming_ ? std::string() : formatTiming(timing));
}

void AuthorMode::useTiming(const Timing& timing) {
    show_.setTiming(timing);
    // A new end moves the last frame that a seek reaches.
    lastFrame_ = FrameSchedule(timing, kFrameGridFps, 0.0, -1.0).endFrame() - 1;
    timingChanged();
}

void AuthorMode::apply(Edit edit) {
    if (edit.timing.music != show_.timing().music && !page::playMusic(edit.timing.music))
        edit.timing.music = show_.timing().music;
    const bool marks = edit.marks.count != show_.state().syncMarks.count ||
                       !std::equal(edit.marks.times.begin(), edit.marks.times.begin() + edit.marks.count,
                                   show_.state().syncMarks.times.begin());
    const bool timing = edit.timing != show_.timing();
    show_.state().syncMarks = edit.marks;
    if (marks) marksChanged();
    if (!timing) return;
    useTiming(edit.timing);
    // Paused, the picture shows the new times at once; playing, the next frame does.
    if (!playing_ && show_.started()) showFrame(frame_);
}

void AuthorMode::change(const Edit& changed, std::string what) {
    finishMove();
    history_.record(edit(), std::move(what));
    apply(changed);
}

void AuthorMode::mark() {
    Edit changed = edit();
    switch (addSyncMark(changed.marks, shown_, show_.timing().end())) {
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

void AuthorMode::fitToMusic(const Timing& fitted) {
    change({show_.state().syncMarks, fitted}, "Fit to music");
    page::say("The timing fitted to the bars of " + fitted.music);
}

void AuthorMode::suggestMarks(const std::vector<double>& times) {
    Edit changed = edit();
    int added = 0;
    int left = 0;
    for (double t : times) {
        if (addSyncMark(changed.marks, t, show_.timing().end()) == MarkResult::Added) ++added;
        else ++left;
    }
    if (added > 0) change(changed, "Suggest marks");
    std::string said = std::to_string(added) + " marks suggested at the music's strongest onsets";
    if (left > 0)
        said += "; " + std::to_string(left) + " more were marked already, outside the show or past the list's " +
                std::to_string(kMaxSyncMarks);
    page::say(said);
}

void AuthorMode::deleteMark(int index) {
    Edit changed = edit();
    if (index < 0 || index >= changed.marks.count) return;
    const double t = changed.marks.times[std::size_t(index)];
    if (deleteSyncMark(changed.marks, index)) change(changed, "Delete of " + seconds(t));
}

void AuthorMode::clearMarks() {
    if (show_.state().syncMarks.count == 0) return;
    change({SyncMarks(), show_.timing()}, "Clear marks");
    page::say("Marks cleared (Ctrl+Z brings them back)");
}

void AuthorMode::openMarks(std::string_view name, const SyncFileMarks& read) {
    change({read.marks, show_.timing()}, "Open " + std::string(name));
    page::say(std::string(name) + ": " + marksTaken(read, show_.timing().end(), "opened"));
}

std::string AuthorMode::musicNote(const std::string& music) const {
    if (music == show_.timing().music) return "";
    return "; it names the music \"" + music + "\", which this page does not have: open that file to hear the show with it";
}

void AuthorMode::openTiming(std::string_view name, const TimingRead& read) {
    change({show_.state().syncMarks, read.timing}, "Open " + std::string(name));
    page::say(std::string(name) + ": the timing opened" + musicNote(read.timing.music));
}

void AuthorMode::open(std::string_view name, std::string_view text, FileKind kind) {
    const std::string file(name);
    if (kind != FileKind::TimingFile) {
        const SyncFileMarks read = parseSyncFile(text, show_.timing().end());
        const char* why = syncRefusal(read);
        if (!why) return openMarks(name, read);
        if (kind == FileKind::SyncFile) return page::say(file + ": " + why + "; the marks are as they were");
        if (read.binary)
            return page::say(file + ": a binary file, neither a sync.txt nor a timing file; " + kBothKept);
    }
    const TimingRead read = parseTiming(text);
    const std::string unplayable = read.ok ? WebShow::unplayable(read.timing) : "";
    if (!unplayable.empty()) return page::say(file + ": " + unplayable + "; the timing is as it was");
    if (read.ok) return openTiming(name, read);
    if (kind == FileKind::TimingFile) return page::say(timingRefusal(file, read) + "; the timing is as it was");
    page::say(file + ": neither a sync.txt (no line of one in it) nor a timing file (" + timingRefusal(read) +
              "); " + kBothKept);
}

void AuthorMode::restore(std::string_view marksText, std::string_view timingText) {
    Edit kept = edit();
    std::vector<std::string> said;
    // The timing first: its end is the one the marks are read against.
    if (!timingText.empty()) {
        const TimingRead read = parseTiming(timingText);
        const std::string unplayable = read.ok ? WebShow::unplayable(read.timing) : "";
        if (read.ok && unplayable.empty()) kept.timing = read.timing;
        said.push_back(!read.ok ? "its timing cannot be read (" + timingRefusal(read) + ")"
                       : !unplayable.empty() ? "its timing cannot be played (" + unplayable + ")"
                                             : "the timing restored");
    }
    if (!marksText.empty()) {
        const SyncFileMarks read = parseSyncFile(marksText, kept.timing.end());
        const char* why = syncRefusal(read);
        if (!why) kept.marks = read.marks;
        said.push_back(why ? std::string("its marks cannot be read: ") + why
                           : marksTaken(read, kept.timing.end(), "restored"));
    }
    apply(kept);
    std::string text = "This browser's storage: ";
    for (std::size_t i = 0; i < said.size(); ++i) text += (i ? "; " : "") + said[i];
    if (!said.empty()) page::say(text + musicNote(kept.timing.music));
}

void AuthorMode::moveHandle(int handle, double t) {
    if (handle < 0 || std::size_t(handle) >= timingHandles().size() || !std::isfinite(t)) return;
    if (moving_ && handle != movedHandle_) finishMove();
    const Timing moved = withHandleAt(show_.timing(), handle, t);
    if (moved == show_.timing()) return;
    const std::string& name = timingHandles()[std::size_t(handle)].name;
    const std::string broken = checkTiming(moved);
    if (!broken.empty()) {
        page::say(name + " stays at " + seconds(handleTime(show_.timing(), handle)) + ": " + broken);
        return;
    }
    if (!moving_) {
        moving_ = true;
        moveFrom_ = edit();
        movedHandle_ = handle;
    }
    apply({show_.state().syncMarks, moved});
}

void AuthorMode::finishMove() {
    if (!moving_) return;
    moving_ = false;
    // A handle dragged back where it was is no step.
    if (show_.timing() == moveFrom_.timing) return;
    const TimingHandle& handle = timingHandles()[std::size_t(movedHandle_)];
    history_.record(moveFrom_, "Move of " + handle.name + " to " + seconds(handleTime(show_.timing(), movedHandle_)));
}

void AuthorMode::resetTiming() {
    if (builtInTiming() == show_.timing()) return;
    change({show_.state().syncMarks, builtInTiming()}, "Reset timing");
    page::say("Timing reset (Ctrl+Z brings it back)" + musicNote(builtInTiming().music));
}

bool AuthorMode::musicNameReadsBack(std::string_view name) const {
    const std::string problem = fileNameProblem(name);
    if (!problem.empty()) page::say(std::string(name) + ": the name " + problem + "; rename the file to play it");
    return problem.empty();
}

bool AuthorMode::openMusic(std::string_view name) {
    if (!musicNameReadsBack(name)) return false;
    Timing named = show_.timing();
    named.music = std::string(name);
    change({show_.state().syncMarks, named}, "Open " + std::string(name));
    page::say(std::string(name) + ": the show plays with this music, and the timing names it");
    return true;
}

void AuthorMode::undo() { swapStep(true); }

void AuthorMode::redo() { swapStep(false); }

void AuthorMode::swapStep(bool undo) {
    finishMove();
    Edit now = edit();
    std::string what;
    if (!(undo ? history_.undo(now, &what) : history_.redo(now, &what))) {
        page::say(undo ? "Nothing to undo" : "Nothing to redo");
        return;
    }
    apply(now);
    page::say((undo ? "Undone: " : "Redone: ") + what);
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
