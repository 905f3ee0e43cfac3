#pragma once

#include <string>
#include <utility>
#include <vector>

// What the show and its tools do before anything else, written once for
// all: answer --version, take the paths given from where they were
// started, and find the show's data from wherever they were installed or
// unpacked (shell/data_places.h).

// Prints "PROGRAM VERSION" on standard output: the answer to --version.
void printVersion(const char* program);

// The directory the program was started in, where what it writes by a
// relative name lands; "" when that directory is gone already.
std::string startedDirectory();

// Makes each relative path given on the command line absolute from
// started, the directory the program was started in, where the person who
// typed it meant it: never from the data folder the program moves into.
// Each path comes with its option's name ("--timing"). Empty when it
// could; else, when started is gone, the one-line message naming program
// and the option.
std::string fromStartedDirectory(const std::string& started, const char* program,
                                 const std::vector<std::pair<const char*, std::string*>>& paths);

// Makes the first of the places that hold the show's data the working
// directory: the directory started, the folder of the program (argv0 is its
// first argument), then the folder the install rules put the data in. Empty
// when it could; else the one-line message for a person.
std::string enterDataFolder(const std::string& started, const char* argv0);

// Makes the paths given absolute from started (as fromStartedDirectory
// does), then enters the data folder (as enterDataFolder does): what every
// program that reads the show's data does before it reads any. Empty when
// it could; else the one-line message for a person.
std::string findData(const std::string& started, const char* program, const char* argv0,
                     const std::vector<std::pair<const char*, std::string*>>& paths);

// The exit codes of every program: 1 when it could not do its work, 2 when
// its command line was not understood.
constexpr int kFailureExit = 1;
constexpr int kUsageExit = 2;

// Says "program: message" on standard error, then the usage text; returns
// kUsageExit.
int usageError(const char* program, const char* usage, const std::string& message);

// Says "program: message" where the person is looking (desktop.h); returns
// kFailureExit.
int failure(const char* program, const std::string& message);
