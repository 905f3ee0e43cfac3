#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/scene_table.h"
#include "shell/timing.h"

// The title scene that the words of a title segment make, as the generator
// writes it to a .3ds file: the segment's look, fitted to its length in
// this timing. Throws std::invalid_argument for words that make no title.
std::vector<std::uint8_t> wordsSceneFile(int segment, const std::string& words, const Timing& timing);

// Gives each segment of timing that has words or a scene file its own
// scene: the words' title, or the file read from the data folder (the
// working directory) through the scene loader. A scene file without a
// camera, flown past in a title segment, gets the titles' camera. Returns a
// line for each that cannot be read or placed, "<file>: <why>" ("words 2:
// <why>" for words).
std::vector<std::string> loadSegmentScenes(SceneTable& scenes, const Timing& timing);
