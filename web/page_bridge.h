#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What the show tells its page (web/site/page/main.js): each call lands in one method
// of the page object that the page hands to the program as Module.orvelPage.
namespace page {

// A menu entry of the right button, in the order shown.
void addMenuEntry(const char* label, int value);
// The program runs and its timing is read: the page hands it the scenes as
// they arrive and fetches the music named musicName ("ARTIST -
// TITLE.mp3", also for the browser's media controls), looped where the
// show, showEnd seconds long, outlasts it. The show's picture is width x
// height: the page draws it larger on a larger screen, never smaller, and
// never wider than maxSide pixels. Author mode opens no file larger than
// maxSyncFileBytes. version is the show's.
void ready(int width, int height, int maxSide, std::size_t maxSyncFileBytes, const char* musicName, const char* version,
           double showEnd);
void playing();
// Play mode: the next frame is at demo time t or later, where the page
// gave the show no data: the picture waits there, and the music, which
// the page stopped there.
void stalled(double t);
// Play mode: the frame just drawn shows demo time t.
void playedFrame(double t);
// The show is over; syncText is what ESC writes, empty at the natural end.
void ended(const std::string& syncText);
// Author mode: the frame on screen shows demo time t; playing or paused.
void authorFrame(double t, bool playing);
// Author mode: the sync marks, in the order recorded, and the text that
// the browser keeps them in until they change again.
void marks(const float* marks, int count, const std::string& kept);
// Author mode: a line on the page's status line, for a few seconds.
void say(const std::string& text);
// Author mode: the segments' bounds, and the other moments of the schedule.
void schedule(const double* bounds, int boundCount, const double* moments, int momentCount);
// Author mode: the text of sync.txt to save.
void syncText(const std::string& text);
// The frame of frame mode is on the canvas.
void frameDone();
void benchDone(const std::string& report);
// The show cannot start: one line saying why.
void fail(const std::string& reason);
// A fault of the program itself, on the console as an error.
void reportError(const std::string& text);
double millisecondsSinceLoad();

}  // namespace page
