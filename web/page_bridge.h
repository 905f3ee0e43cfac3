#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What the show tells its page (web/site/page/main.js): each call lands in one method
// of the page object that the page hands to the program as Module.orvelPage.
namespace page {

// A menu entry of the right button, in the order shown.
void addMenuEntry(const char* label, int value);
// The entry of value says label from now on.
void changeMenuEntry(const char* label, int value);
// The calm show is on or off: chosen by the viewer (from the menu), whose
// choice the page keeps, or as the program started.
void calm(bool on, bool viewerChose);
// The program runs and its timing is read: the page hands it the scenes as
// they arrive and fetches the music named musicName ("ARTIST -
// TITLE.mp3", also for the browser's media controls), looped where the
// show, showEnd seconds long, outlasts it. The show's picture is width x
// height: the page draws it larger on a larger screen, never smaller, and
// never wider than maxSide pixels. Author mode opens no sync.txt larger
// than maxSyncFileBytes and no timing file larger than maxTimingFileBytes.
// version is the show's.
void ready(int width, int height, int maxSide, std::size_t maxSyncFileBytes, std::size_t maxTimingFileBytes,
           const char* musicName, const char* version, double showEnd);
void playing();
// Play mode: the next frame is at demo time t or later, where the page
// gave the show no data: the picture waits there, and the music, which
// the page stopped there.
void stalled(double t);
// Play mode: the frame just drawn shows demo time t; the picture on
// screen is segment's (0: none yet).
void playedFrame(double t, int segment);
// The show is over; syncText is what ESC writes, empty at the natural end.
void ended(const std::string& syncText);
// Author mode: the frame on screen shows demo time t, of segment; playing or paused.
void authorFrame(double t, bool playing, int segment);
// Author mode: the sync marks, in the order recorded, and the text that
// the browser keeps them in until they change again.
void marks(const float* marks, int count, const std::string& kept);
// Author mode: a line on the page's status line, for a few seconds.
void say(const std::string& text);
// Author mode: the timing's handles, once: their names, a line each, and
// their kinds, a letter each: 'b' a segment's bound, 'w' the beginning of
// a window that the next handle ends, 'm' another moment inside a segment;
// and the rate of the frames that author mode steps on.
void handles(const std::string& names, const std::string& kinds, int fps);
// Author mode: the timing, as the segments' bounds (the last is the show's
// end) and its handles' times, and the text the browser keeps it in until
// it changes again: "" for the timing the show started with (the site's
// timing file's, or the built-in one), which is nothing to keep.
void timing(const double* bounds, int boundCount, const double* handles, int handleCount, const std::string& kept);
// Author mode: where the ordinary show breaks the flash rule, with the
// timing: begin and end pairs, count values in all.
void ruleBreaks(const double* stretches, int count);
// Author mode: the page plays, from now on, the music of that file name
// (the show's own, or one the author opened); false when it holds none.
bool playMusic(const std::string& name);
// Author mode: a file to save, its name and its text.
void save(const char* name, const std::string& text);
// The frame of frame mode is on the canvas.
void frameDone();
void benchDone(const std::string& report);
// The show cannot start: one line saying why.
void fail(const std::string& reason);
// A fault of the program itself, on the console as an error.
void reportError(const std::string& text);
double millisecondsSinceLoad();
// On the console: what happened, and when, counted from the page's start.
void logSinceLoad(const char* what);

}  // namespace page
