#include "web/play_mode.h"

#include <string>

#include "shell/sync_file.h"
#include "web/dom_keys.h"
#include "web/page_bridge.h"

namespace {

bool fullScreen() {
    EmscriptenFullscreenChangeEvent status;
    return emscripten_get_fullscreen_status(&status) == EMSCRIPTEN_RESULT_SUCCESS && status.isFullscreen;
}

}  // namespace

void PlayMode::listenToKeys() {
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_TRUE, onKeyDown);
}

void PlayMode::end(bool escape) {
    playing_ = false;
    stalled_ = false;
    show_.stop();
    show_.clearPicture();
    show_.reportWebGlError("while playing");
    page::ended(escape ? formatSyncFile(show_.state()) : std::string());
}

void PlayMode::stall() {
    stalled_ = true;
    stalledAt_ = until_;
    show_.pauseClock();
    page::stalled(stalledAt_);
}

EM_BOOL PlayMode::onAnimationFrame(double, void* self) {
    PlayMode& play = *static_cast<PlayMode*>(self);
    WebShow& show = play.show_;
    if (!play.playing_) return EM_FALSE;
    if (show.state().demoTime >= play.until_) {
        play.stall();
        return EM_FALSE;
    }
    const bool first = show.state().frameCount == 0;
    const double t = show.state().demoTime;
    if (!show.drawNextFrame()) {
        play.end(false);
        return EM_FALSE;
    }
    page::playedFrame(t, show.shownSegment());
    if (first) page::logSinceLoad("first frame of the show drawn");
    return EM_TRUE;
}

EM_BOOL PlayMode::onKeyDown(int, const EmscriptenKeyboardEvent* event, void* self) {
    PlayMode& play = *static_cast<PlayMode*>(self);
    if (!play.playing_) return EM_FALSE;
    const std::string key = event->key;
    if (key == kDomEscapeKey) {
        // In full screen the browser takes ESC to leave it; the next one ends the show.
        if (fullScreen()) return EM_FALSE;
        play.end(true);
        return EM_TRUE;
    }
    const int special = specialKeyOfDomKey(key);
    if (special == 0) return EM_FALSE;
    applySpecialKey(play.show_.state(), special, play.show_.timing().end());
    return EM_TRUE;
}

void PlayMode::reachStart() {
    if (show_.started() || reachedStart_ || from_ <= 0.0) return;
    reachedStart_ = true;
    show_.reachFirstWritten(FrameSchedule(show_.timing(), kFrameGridFps, from_, from_));
    // sync.txt's frame rate counts the frames drawn while the clock runs.
    show_.state().frameCount = 0;
}

void PlayMode::start(double outputLatency) {
    if (show_.started()) return;
    if (from_ > 0.0) {
        reachStart();
        reachedStart_ = false;
        show_.startClockFrom(outputLatency, from_);
        show_.markStarted();
    } else {
        show_.startClock(outputLatency);
    }
    playing_ = true;
    stalled_ = false;
    page::playing();
    emscripten_request_animation_frame_loop(onAnimationFrame, this);
}

void PlayMode::playOn(double outputLatency) {
    if (!playing_ || !stalled_) return;
    stalled_ = false;
    show_.resumeClock(outputLatency, stalledAt_);
    emscripten_request_animation_frame_loop(onAnimationFrame, this);
}

void PlayMode::stop() {
    playing_ = false;
    stalled_ = false;
}

void PlayMode::playAgain() {
    if (playing_) return;
    show_.reset();
}
