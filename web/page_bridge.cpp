#include "web/page_bridge.h"

#include <emscripten/emscripten.h>

namespace {

EM_JS(void, jsAddMenuEntry, (const char* label, int value), {
    Module.orvelPage.addMenuEntry(UTF8ToString(label), value);
});
EM_JS(void, jsLoaded, (const uint8_t* music, int size, int width, int height, int maxSide, double maxFileBytes,
                        const char* musicName, const char* version), {
    Module.orvelPage.loaded(size > 0 ? HEAPU8.slice(music, music + size) : null, width, height, maxSide,
                            maxFileBytes, UTF8ToString(musicName), UTF8ToString(version));
});
EM_JS(void, jsPlaying, (), { Module.orvelPage.playing(); });
EM_JS(void, jsPlayedFrame, (double t, int segment), { Module.orvelPage.playedFrame(t, segment); });
EM_JS(void, jsEnded, (const char* text), { Module.orvelPage.ended(UTF8ToString(text)); });
EM_JS(void, jsAuthorFrame, (double t, int playing, int segment), {
    Module.orvelPage.authorFrame(t, playing !== 0, segment);
});
EM_JS(void, jsMarks, (const float* marks, int count, const char* kept), {
    Module.orvelPage.marks(Array.from(HEAPF32.subarray(marks >> 2, (marks >> 2) + count)), UTF8ToString(kept));
});
EM_JS(void, jsSay, (const char* text), { Module.orvelPage.say(UTF8ToString(text)); });
EM_JS(void, jsSchedule, (const double* bounds, int boundCount, const double* moments, int momentCount), {
    Module.orvelPage.schedule(Array.from(HEAPF64.subarray(bounds >> 3, (bounds >> 3) + boundCount)),
                              Array.from(HEAPF64.subarray(moments >> 3, (moments >> 3) + momentCount)));
});
EM_JS(void, jsSyncText, (const char* text), { Module.orvelPage.syncText(UTF8ToString(text)); });
EM_JS(void, jsFrameDone, (), { Module.orvelPage.frameDone(); });
EM_JS(void, jsBenchDone, (const char* text), { Module.orvelPage.benchDone(UTF8ToString(text)); });
EM_JS(void, jsFail, (const char* text), { Module.orvelPage.fail(UTF8ToString(text)); });
EM_JS(void, jsReportError, (const char* text), { console.error(UTF8ToString(text)); });
EM_JS(double, jsNow, (), { return performance.now(); });

}  // namespace

namespace page {

void addMenuEntry(const char* label, int value) { jsAddMenuEntry(label, value); }
void loaded(const uint8_t* music, std::size_t size, int width, int height, int maxSide,
            std::size_t maxSyncFileBytes, const char* musicName, const char* version) {
    jsLoaded(music, int(size), width, height, maxSide, double(maxSyncFileBytes), musicName, version);
}
void playing() { jsPlaying(); }
void playedFrame(double t, int segment) { jsPlayedFrame(t, segment); }
void ended(const std::string& syncText) { jsEnded(syncText.c_str()); }
void authorFrame(double t, bool playing, int segment) { jsAuthorFrame(t, playing ? 1 : 0, segment); }
void marks(const float* list, int count, const std::string& kept) { jsMarks(list, count, kept.c_str()); }
void say(const std::string& text) { jsSay(text.c_str()); }
void schedule(const double* bounds, int boundCount, const double* moments, int momentCount) {
    jsSchedule(bounds, boundCount, moments, momentCount);
}
void syncText(const std::string& text) { jsSyncText(text.c_str()); }
void frameDone() { jsFrameDone(); }
void benchDone(const std::string& report) { jsBenchDone(report.c_str()); }
void fail(const std::string& reason) { jsFail(reason.c_str()); }
void reportError(const std::string& text) { jsReportError(text.c_str()); }
double millisecondsSinceLoad() { return jsNow(); }

}  // namespace page
