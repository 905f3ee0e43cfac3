#include "web/web_show.h"

#include <GL/gl.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <fstream>

#include "gl11/gl11_calls.h"
#include "shell/scene_needs.h"
#include "shell/timeline.h"
#include "web/page_bridge.h"

bool WebShow::start(bool pictureAsIs, std::string* error) {
    // The show's own picture until the page sizes the canvas to the screen
    // (play mode); frame and author modes show it at that size, pixel for pixel.
    emscripten_set_canvas_element_size("#canvas", kWidth, kHeight);
    if (pictureAsIs) emscripten_set_element_css_size("#canvas", kWidth, kHeight);
    device_ = std::make_unique<WebGlDevice>("#canvas", pictureAsIs);
    if (!device_->ok()) {
        *error = device_->error();
        return false;
    }
    gl_ = std::make_unique<Gl11Context>(*device_);
    gl_->setErrorReporter([](const std::string& text) { page::reportError("orvel: OpenGL error: " + text); });
    makeGl11ContextCurrent(gl_.get());

    runner_.startWithoutScenes();
    runner_.reshape(kWidth, kHeight);
    return true;
}

bool WebShow::loadArrivedScenes(bool allArrived, std::string* error) {
    for (SceneId id : scenesInOrderOfNeed()) {
        if (runner_.scenes().inPlace(id) || !(allArrived || std::ifstream(schedule::sceneFile(id)))) continue;
        std::string failure;
        ++scenesRead_;
        if (runner_.loadScene(id, &failure)) continue;
        ++scenesFailed_;
        std::fprintf(stderr, "orvel: cannot load %s\n", failure.c_str());
    }
    if (allArrived && scenesFailed_ == scenesRead_ && scenesRead_ > 0) {
        *error = "no scene could be loaded: the site's data is damaged";
        return false;
    }
    if (titlesMade_ || !(allArrived || std::ifstream(schedule::kTilesTexture))) return true;
    titlesMade_ = true;
    const std::vector<std::string> failures = runner_.loadSegmentScenes();
    if (failures.empty()) return true;
    *error = failures.front();
    return false;
}

namespace {

// The segments' own scenes made for timing a serve timing b too: the same
// words and scene files, and each segment that has one as long (a title is
// fitted to its segment's length). An author's drag of another time
// changes none of them.
bool sameOwnScenes(const Timing& a, const Timing& b) {
    for (int s = 1; s <= schedule::kSegmentCount; ++s) {
        const std::size_t i = std::size_t(s);
        if (a.words[i] != b.words[i] || a.scenes[i] != b.scenes[i]) return false;
        const bool own = !a.words[i].empty() || !a.scenes[i].empty();
        if (own && a.segmentEnd(s) - a.segmentStart(s) != b.segmentEnd(s) - b.segmentStart(s)) return false;
    }
    return true;
}

}  // namespace

void WebShow::setTiming(const Timing& timing) {
    const bool remake = titlesMade_ && !sameOwnScenes(runner_.timing(), timing);
    runner_.setTiming(timing);
    if (!remake) return;
    for (const std::string& failure : runner_.loadSegmentScenes()) page::reportError("orvel: " + failure);
}

double WebShow::scenesReadyUntil() const { return ::scenesReadyUntil(runner_.timing(), runner_.scenes()); }

void WebShow::startClock(double outputLatency) {
    runner_.startClock(outputLatency);
    started_ = true;
}

void WebShow::drew(FrameResult result, float t) {
    if (result == FrameResult::Drawn) shownSegment_ = findSegment(runner_.timing(), t);
}

bool WebShow::drawNextFrame() {
    const float t = runner_.state().demoTime;
    const FrameResult result = runner_.displayFrame();
    if (result == FrameResult::Ended) return false;
    drew(result, t);
    gl_->flush();
    return true;
}

FrameResult WebShow::drawFrameAt(float t) {
    const FrameResult result = runner_.drawAt(t);
    drew(result, t);
    glFinish();
    return result;
}

float WebShow::drawGridFrame(long k) {
    const FrameSchedule schedule(runner_.timing(), kFrameGridFps, double(k) / kFrameGridFps, double(k) / kFrameGridFps);
    // The frame before is drawn only for a frame on a window bound, which
    // draws nothing and leaves it on the canvas; before any other it is
    // played for what it leaves behind, as the frames before it are, and
    // an author's drag of a handle waits for one picture instead of two.
    const bool drawsItself = findSegment(runner_.timing(), schedule.time(k)) != 0;
    const float t = schedule.time(runner_.reachFirstWritten(schedule, [this, drawsItself](float before) {
        return drawsItself ? runner_.playAt(before) : drawFrameAt(before);
    }));
    drawFrameAt(t);
    return t;
}

void WebShow::clearPicture() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl_->flush();
    shownSegment_ = 0;
}

void WebShow::reportWebGlError(const char* when) {
    const uint32_t error = takeWebGlError();
    if (error == 0) return;
    char text[96];
    std::snprintf(text, sizeof text, "orvel: WebGL error 0x%04x %s", unsigned(error), when);
    page::reportError(text);
}

void WebShow::reset() {
    runner_.reset();
    started_ = false;
    shownSegment_ = 0;
}

void WebShow::resizeCanvas(int width, int height) {
    emscripten_set_canvas_element_size("#canvas", width, height);
    runner_.reshape(width, height);
}

std::string WebShow::unplayable(const Timing& timing) {
    for (int s = 1; s <= schedule::kSegmentCount; ++s) {
        const std::string& file = timing.scenes[std::size_t(s)];
        if (!file.empty())
            return std::string(kSceneName) + " " + std::to_string(s) + ": " + file +
                   ": the page does not play a segment's own scene file yet; the window, orvel.exe and orvel-capture do";
    }
    return {};
}
