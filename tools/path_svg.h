#pragma once

#include <string>
#include <vector>

#include "geometry/vector_math.h"

// The animated placement of every camera of a scene over a run of frames,
// and the keys of the track that drove it, for drawing.
struct CameraPathSamples {
    std::vector<Vec3> positions;
    std::vector<Vec3> targets;
};

struct PathKey {
    int frame = 0;
    Vec3 value;
};

struct PathPlot {
    // A line of text under the title: the input file and the operation.
    std::string caption;
    std::vector<int> frames;
    // One entry per camera, each with one sample per entry of frames.
    std::vector<CameraPathSamples> cameras;
    std::vector<PathKey> keys;
    // What the keys belong to, e.g. "keys of track 10 (Camera01, position)".
    std::string keyCaption;
};

// A stand-alone SVG document: a top view (x, y) and a side view (x, z) of
// every camera's position and target path, the keys marked with their frame
// numbers.
std::string pathSvg(const PathPlot& plot);

// Writes pathSvg to a file; false when it cannot be written.
bool writePathSvg(const PathPlot& plot, const std::string& fileName);
