#pragma once

#include <cstdio>
#include <string>

// What the programs ask of the desktop they run on: where they were started
// from, how to tell a person that they cannot go on, and a file for a
// while. One implementation
// a platform, side by side: desktop_linux.cpp, desktop_windows.cpp.
namespace desktop {

// The folder that holds the running program, or "" when it cannot be known.
// argv0 is the program's first argument, for platforms that have nothing
// better.
std::string programFolder(const char* argv0);

// Says message, one line, where the person who started program is looking:
// standard error ("program: message") and, where a program is started by a
// double-click and its console closes with it, a message box too.
void reportFailure(const char* program, const std::string& message);

// A new file to write and read back, deleted when it is closed, where the
// user's temporary files go; nullptr when none can be made.
std::FILE* temporaryFile();

}  // namespace desktop
