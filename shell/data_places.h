#pragma once

#include <string>
#include <vector>

// Where the show and orvel-capture look for their data (schedule::kDataFolder
// and the music beside it): the working directory, then the program's own
// folder, then the folder the build installs the data to. An empty entry
// (no program folder known, no installed data folder on this platform) and
// a place already listed are left out.
std::vector<std::string> dataPlaces(const std::string& workingDirectory, const std::string& programFolder,
                                    const std::string& installedDataFolder);

// The first of places that holds a folder named schedule::kDataFolder, or ""
// when none does.
std::string firstDataPlace(const std::vector<std::string>& places);

// The one-line message for a person when no place holds the data: what was
// looked for and every place looked in, in order.
std::string noDataMessage(const std::vector<std::string>& places);

// Makes the first of places that holds the data the working directory, from
// which every scene, texture and the music are then read. Empty when it
// could; else the one-line message that says why not.
std::string enterFirstDataPlace(const std::vector<std::string>& places);
