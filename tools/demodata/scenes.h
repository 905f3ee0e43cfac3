#pragma once

#include <string>
#include <vector>

#include "shell/schedule.h"
#include "titles/scene_file.h"

// One scene file of the show: its path from the show's working directory
// and its content.
struct SceneFile {
    std::string fileName;
    SceneData data;
};

// The textured objects that the show spins around the viewer.
std::vector<SceneFile> buildObjectScenes();

// The titles that the show flies past, a word of block letters and a
// camera each, and the closing text.
std::vector<SceneFile> buildTitleScenes();

// All fifteen, in the order in which the show loads them.
std::vector<SceneFile> buildScenes();
