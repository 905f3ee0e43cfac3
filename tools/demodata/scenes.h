#pragma once

#include <string>
#include <vector>

#include "tools/demodata/scene_file.h"

// One scene file of the show: its path from the show's working directory
// ("demodata/test.3ds") and its content.
struct SceneFile {
    std::string fileName;
    SceneData data;
};

// The textured objects that the show spins around the viewer: test.3ds,
// test2.3ds, sphere.3ds, torus2.3ds and torus2_.3ds.
std::vector<SceneFile> buildObjectScenes();

// The titles that the show flies past: a word of block letters and a camera
// per file (zentrik.3ds, ranko.3ds, quickbite.3ds, direradeduziv.3ds,
// velmora.3ds, tornvik.3ds, radidar.3ds, zengreet.3ds, portal.3ds) and the
// closing text slutt.3ds.
std::vector<SceneFile> buildTitleScenes();

// All fifteen, in the order in which the show loads them.
std::vector<SceneFile> buildScenes();
