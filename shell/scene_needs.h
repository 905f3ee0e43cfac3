#pragma once

#include <vector>

#include "shell/scene_table.h"
#include "shell/timing.h"

// Which scenes the show needs by when, for a program whose scenes arrive
// while it plays (the page). A frame draws its segment's scenes, and the
// frames before it leave it what they drew with (the colour of the last
// face, a camera or none): a frame needs the scenes of its segment and of
// every segment before it.

// The scenes in the order the show first needs them: segment 1's scene and
// its materials, then what each later segment adds, then those that no
// segment draws (the show loads every scene all the same).
std::vector<SceneId> scenesInOrderOfNeed();

// The demo time before which every frame has its scenes in place: the start
// of the first segment whose scenes are not all in place (for a segment with
// words, its title too), or infinity.
double scenesReadyUntil(const Timing& timing, const SceneTable& scenes);
