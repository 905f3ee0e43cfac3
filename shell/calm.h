#pragma once

#include <vector>

#include "shell/timing.h"

// The calm show: the same show kept within the general flash and red flash
// rule, and free of harmful patterns, for the viewers who need it. A frame
// of a segment that takes no part in what breaks the rule is the ordinary
// show's, pixel for pixel; the others change in one of two ways, decided
// with the rest of the frame's plan from the frame's segment. Counted place
// by place (tools/flash/), the ordinary show breaks the rule in two ways:
//
// Patterns: the textures of the opening and of segments 6 and 8 stretch
// into radial stripes around the viewer, segment 4 draws a mesh of fine
// outlines and then black and white stripes, still and in waves, and
// segment 5 a checkerboard tunnel. A pattern is harmful however slowly it
// moves, so the calm show draws these segments no brighter than kDimGrey:
// white faces in that grey, outlines in their shade times it, textures
// modulated by it. No two places then differ by the rule's change of
// relative luminance or of red, so nothing there can flash or make a
// pattern, at any speed, size or frame rate.
//
// Motion: segments 7 and 9 spin their textured objects (7 around the
// viewer, its faces in waves) so fast that detail sweeps past every place
// of the screen many times a second; they make no pattern. The calm show
// runs their motion (spins, waves, travel) at kMotionSpeed of its speed
// from their segment's start, so that each starts where the ordinary show
// starts it and no place changes more than a few times a second. Half the
// speed leaves at most one and a half flashes in a second; two thirds
// leave three in segment 9 at small sizes, on the rule's edge.
namespace calm {

constexpr double kMotionSpeed = 0.5;

// A grey of linear light 0.059: below the rule's change of relative
// luminance (0.1), and below its change of red (20 / 320) however red the
// texture it modulates.
constexpr float kDimGrey = 0.27f;

// Whether the calm show slows the motion of segment, 1 to 18.
bool slowsMotion(int segment);

// The time that the motion of segment runs at, at demo time t, in the calm
// show: its start in timing plus kMotionSpeed of the time since. t itself
// where the motion is not slowed.
float motionTime(const Timing& timing, int segment, float t);

// Whether the calm show dims the frames of segment.
bool dims(int segment);

// Where the ordinary show breaks the rule: the stretches of timing's show
// that the calm show changes, neighbouring segments joined, in order.
std::vector<schedule::Window> changedStretches(const Timing& timing);

}  // namespace calm
