#pragma once

#include <memory>
#include <string>
#include <vector>

#include "scene/scene.h"

// The output of make-demodata, generated once per test program into a
// temporary directory that lives until the program ends.
const std::string& generatedDir();

// The fifteen scene files as the show loads them, relative to its working directory.
const std::vector<std::string>& showSceneFiles();

// A scene loaded with the working directory at the generated output, so that
// texture names resolve as they do for the show. output receives the
// loader's progress messages.
struct LoadedScene {
    std::unique_ptr<Scene> scene;
    bool loaded = false;
    std::string output;
};
LoadedScene loadGenerated(const std::string& fileName);

// Every regular file under dir, as paths relative to it, sorted.
std::vector<std::string> filesUnder(const std::string& dir);
