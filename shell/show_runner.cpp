#include "shell/show_runner.h"

#include "shell/framing.h"
#include "shell/renderer.h"
#include "shell/segment_scenes.h"
#include "shell/timeline.h"

std::vector<std::string> ShowRunner::start() {
    startWithoutScenes();
    std::vector<std::string> failures = scenes_.loadScenes();
    loadSegmentScenes();
    failures.insert(failures.end(), segmentSceneFailures_.begin(), segmentSceneFailures_.end());
    return failures;
}

std::vector<std::string> ShowRunner::loadSegmentScenes() {
    segmentSceneFailures_ = ::loadSegmentScenes(scenes_, timing_);
    return segmentSceneFailures_;
}

void ShowRunner::startWithoutScenes() {
    initGraphicsState(state_);
    fillShadeTable(state_.shadeTable);
    startState_ = state_;
}

void ShowRunner::reshape(int width, int height, int supersample) {
    if (width == 0 || height == 0) return;
    reshapeView(width * supersample, height * supersample);
    // Each block of n x n pixels that is averaged lies wholly inside the
    // picture or wholly in a bar.
    if (supersample > 1) setViewport(scaledViewport(pictureViewport(width, height), supersample));
}

void ShowRunner::reset() {
    const bool calm = state_.calm;
    state_ = startState_;
    state_.calm = calm;
}

void ShowRunner::rewind() {
    const ShellState kept = state_;
    state_ = startState_;
    state_.renderMode = kept.renderMode;
    state_.calm = kept.calm;
    state_.autoRotate = kept.autoRotate;
    state_.zoom = kept.zoom;
    state_.stepValue = kept.stepValue;
    state_.syncMarks = kept.syncMarks;
}

FrameResult ShowRunner::drawAt(float t) {
    state_.demoTime = t;
    ++state_.frameCount;
    restoreCarriedState(state_);
    const FramePlan plan = planFrame(state_, scenes_, timing_, t);
    if (plan.ended) return FrameResult::Ended;
    if (plan.segment == 0) return FrameResult::Skipped;
    drawPlan(plan, state_, scenes_);
    return FrameResult::Drawn;
}

FrameResult ShowRunner::playAt(float t) {
    state_.demoTime = t;
    ++state_.frameCount;
    const FramePlan plan = planFrame(state_, scenes_, timing_, t);
    if (plan.ended) return FrameResult::Ended;
    return plan.segment == 0 ? FrameResult::Skipped : FrameResult::Drawn;
}

long ShowRunner::playUntilPictures(const FrameSchedule& schedule) {
    long k = 0;
    for (; k < schedule.endFrame() && !schedule.needsPicture(k); ++k) playAt(schedule.time(k));
    return k;
}

long ShowRunner::reachFirstWritten(const FrameSchedule& schedule, const std::function<FrameResult(float)>& draw) {
    long k = playUntilPictures(schedule);
    for (; k < schedule.firstWritten(); ++k) draw(schedule.time(k));
    return k;
}

void ShowRunner::useCounter(const Counter& counter) {
    counter_ = &counter;
    clock_.useCounter(counter);
}

void ShowRunner::startClock(double outputLatency, double from) {
    clock_.startWithMusic(outputLatency);
    clockFrom_ = from;
    state_.demoTime = float(from);
    state_.startTicks = millisecondTicks(*counter_);
}

void ShowRunner::pauseClock() { pausedTicks_ = millisecondTicks(*counter_); }

void ShowRunner::resumeClock(double outputLatency, double from) {
    const int32_t startTicks = state_.startTicks + (millisecondTicks(*counter_) - pausedTicks_);
    startClock(outputLatency, from);
    state_.startTicks = startTicks;
}

float ShowRunner::clockSeconds() const { return float(clockFrom_ + double(clock_.seconds())); }

FrameResult ShowRunner::displayFrame() {
    const FrameResult result = drawAt(state_.demoTime);
    if (result != FrameResult::Ended) state_.demoTime = clockSeconds();
    return result;
}

void ShowRunner::stop() { state_.endTicks = millisecondTicks(*counter_); }
