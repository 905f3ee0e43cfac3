#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "animation/keyframer.h"
#include "geometry/camera.h"

// Driving a scene's camera from one keyframer track at a frame, over what a
// scene holds: its keyframer, its cameras and the cursor of the spline
// operations' current segment. A scene offers them as its animate
// operations.

// The track that the spline and linear operations read; they drive camera 0.
constexpr int kAnimatedTrackIndex = 10;

// Blends the two keys around frame in a straight line. A frame past the end
// goes back to the start.
void animateCameraLinear(const Keyframer& keyframer, const std::vector<std::unique_ptr<Camera>>& cameras, int frame);

// Kochanek-Bartels spline through the keys. A frame past the end is held at
// the end.
void animateCameraSpline(const Keyframer& keyframer, const std::vector<std::unique_ptr<Camera>>& cameras, int frame,
                         int32_t& cursor);

// As the spline, from track 0, driving the camera that the track names. A
// frame past the end goes back to the start.
void animateCameraSplineLoop(const Keyframer& keyframer, const std::vector<std::unique_ptr<Camera>>& cameras,
                             int frame, int32_t& cursor);
