#pragma once

#include <map>
#include <set>

#include "tools/capture/png_file.h"

// Pictures of the show by frame number.
using Pictures = std::map<long, RgbPicture>;

// Plays the show (the calm one with calm) from frame 0 at fps frames a
// second as orvel-capture does (in SHOW_DATA_DIR), keeping the pictures of
// the frames wanted, width x height, supersampled n x n. Empty, with a
// failure added, when it cannot.
Pictures renderFrames(const std::set<long>& wanted, int fps, int width, int height, int supersample = 1,
                      bool calm = false);
