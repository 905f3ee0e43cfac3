#pragma once

#include <string>

// What the show and orvel-capture do before anything else, written once for
// both: answer --version, and find the show's data from wherever they were
// installed or unpacked (shell/data_places.h).

// Prints "PROGRAM VERSION" on standard output: the answer to --version.
void printVersion(const char* program);

// The directory the program was started in, where what it writes by a
// relative name lands; "" when that directory is gone already.
std::string startedDirectory();

// Makes the first of the places that hold the show's data the working
// directory: the directory started, the folder of the program (argv0 is its
// first argument), then the folder the install rules put the data in. Empty
// when it could; else the one-line message for a person.
std::string enterDataFolder(const std::string& started, const char* argv0);
