#include "web/page_bridge.h"

#include <emscripten/emscripten.h>

#include <cstdio>

namespace {

EM_JS(void, jsAddMenuEntry, (const char* label, int value), {
    Module.orvelPage.addMenuEntry(UTF8ToString(label), value);
});
EM_JS(void, jsChangeMenuEntry, (const char* label, int value), {
    Module.orvelPage.changeMenuEntry(UTF8ToString(label), value);
});
EM_JS(void, jsCalm, (int on, int viewerChose), { Module.orvelPage.calm(on !== 0, viewerChose !== 0); });
EM_JS(void, jsReady, (int width, int height, int maxSide, double maxSyncFileBytes, double maxTimingFileBytes,
                       const char* musicName, const char* version, double showEnd), {
    Module.orvelPage.ready(width, height, maxSide, { sync: maxSyncFileBytes, timing: maxTimingFileBytes },
                           UTF8ToString(musicName), UTF8ToString(version), showEnd);
});
EM_JS(void, jsPlaying, (), { Module.orvelPage.playing(); });
EM_JS(void, jsStalled, (double t), { Module.orvelPage.stalled(t); });
EM_JS(void, jsPlayedFrame, (double t, int segment), { Module.orvelPage.playedFrame(t, segment); });
EM_JS(void, jsEnded, (const char* text), { Module.orvelPage.ended(UTF8ToString(text)); });
EM_JS(void, jsAuthorFrame, (double t, int playing, int segment), {
    Module.orvelPage.authorFrame(t, playing !== 0, segment);
});
EM_JS(void, jsMarks, (const float* marks, int count, const char* kept), {
    Module.orvelPage.marks(Array.from(HEAPF32.subarray(marks >> 2, (marks >> 2) + count)), UTF8ToString(kept));
});
EM_JS(void, jsSay, (const char* text), { Module.orvelPage.say(UTF8ToString(text)); });
EM_JS(void, jsHandles, (const char* names, const char* kinds, int fps), {
    Module.orvelPage.handles(UTF8ToString(names).split("\n").slice(0, -1), Array.from(UTF8ToString(kinds)), fps);
});
EM_JS(void, jsTiming, (const double* bounds, int boundCount, const double* handles, int handleCount,
                       const char* kept), {
    Module.orvelPage.timing(Array.from(HEAPF64.subarray(bounds >> 3, (bounds >> 3) + boundCount)),
                            Array.from(HEAPF64.subarray(handles >> 3, (handles >> 3) + handleCount)),
                            UTF8ToString(kept));
});
EM_JS(void, jsRuleBreaks, (const double* stretches, int count), {
    Module.orvelPage.ruleBreaks(Array.from(HEAPF64.subarray(stretches >> 3, (stretches >> 3) + count)));
});
EM_JS(int, jsPlayMusic, (const char* name), { return Module.orvelPage.playMusic(UTF8ToString(name)) ? 1 : 0; });
EM_JS(void, jsSave, (const char* name, const char* text), {
    Module.orvelPage.save(UTF8ToString(name), UTF8ToString(text));
});
EM_JS(void, jsFrameDone, (), { Module.orvelPage.frameDone(); });
EM_JS(void, jsBenchDone, (const char* text), { Module.orvelPage.benchDone(UTF8ToString(text)); });
EM_JS(void, jsFail, (const char* text), { Module.orvelPage.fail(UTF8ToString(text)); });
EM_JS(void, jsReportError, (const char* text), { console.error(UTF8ToString(text)); });
EM_JS(double, jsNow, (), { return performance.now(); });

}  // namespace

namespace page {

void addMenuEntry(const char* label, int value) { jsAddMenuEntry(label, value); }
void changeMenuEntry(const char* label, int value) { jsChangeMenuEntry(label, value); }
void calm(bool on, bool viewerChose) { jsCalm(on ? 1 : 0, viewerChose ? 1 : 0); }
void ready(int width, int height, int maxSide, std::size_t maxSyncFileBytes, std::size_t maxTimingFileBytes,
           const char* musicName, const char* version,
           double showEnd) {
    jsReady(width, height, maxSide, double(maxSyncFileBytes), double(maxTimingFileBytes), musicName, version, showEnd);
}
void playing() { jsPlaying(); }
void stalled(double t) { jsStalled(t); }
void playedFrame(double t, int segment) { jsPlayedFrame(t, segment); }
void ended(const std::string& syncText) { jsEnded(syncText.c_str()); }
void authorFrame(double t, bool playing, int segment) { jsAuthorFrame(t, playing ? 1 : 0, segment); }
void marks(const float* list, int count, const std::string& kept) { jsMarks(list, count, kept.c_str()); }
void say(const std::string& text) { jsSay(text.c_str()); }
void handles(const std::string& names, const std::string& kinds, int fps) {
    jsHandles(names.c_str(), kinds.c_str(), fps);
}
void timing(const double* bounds, int boundCount, const double* handles, int handleCount, const std::string& kept) {
    jsTiming(bounds, boundCount, handles, handleCount, kept.c_str());
}
void ruleBreaks(const double* stretches, int count) { jsRuleBreaks(stretches, count); }
bool playMusic(const std::string& name) { return jsPlayMusic(name.c_str()) != 0; }
void save(const char* name, const std::string& text) { jsSave(name, text.c_str()); }
void frameDone() { jsFrameDone(); }
void benchDone(const std::string& report) { jsBenchDone(report.c_str()); }
void fail(const std::string& reason) { jsFail(reason.c_str()); }
void reportError(const std::string& text) { jsReportError(text.c_str()); }
double millisecondsSinceLoad() { return jsNow(); }
void logSinceLoad(const char* what) {
    std::printf("orvel: %s %.0f ms after the page began loading\n", what, millisecondsSinceLoad());
}

}  // namespace page
