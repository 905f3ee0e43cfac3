#pragma once

#include <string>
#include <vector>

#include "titles/scene_file.h"

// A title scene: a word of block letters standing along the x axis, facing
// -y, that the show flies past, and the camera that sees all of it. The show,
// the capture tool, the page and the generator all make titles here, so that
// a word typed into a timing draws what the generator's .3ds of it draws.

// How the show flies past a title: the eye leaves the camera's stored
// position along +x at speed units a second, looking at the stored target
// (up is +z, aspect 4/3) through a lens of fieldOfView degrees.
struct FlightLens {
    float speed;
    float fieldOfView;
};

enum class TitleLayout {
    // Letters side by side.
    Row,
    // Each letter further back than the one before it.
    Stair,
    // Letters bobbing up and down along the line.
    Wave,
};

struct TitleStyle {
    TitleLayout layout;
    // Degrees above (or below) the word from which the camera looks.
    float elevation;
    // A row of small cubes under the letters, nearer to the eye, that slides
    // by faster than the letters and so shows the depth.
    bool underline;
};

constexpr const char* kTitleCameraName = "Camera01";
constexpr const char* kTitleMaterialName = "TITLE";

// The closest camera that looks at the middle of the meshes from the front
// (-y side) and elevation degrees above them, its flight of seconds centred
// on the target, that keeps every vertex on screen for the whole flight.
// Throws std::invalid_argument when there is no vertex or no such camera.
CameraData fitFlightCamera(const std::vector<NamedMesh>& meshes, float seconds, float elevation,
                           const FlightLens& lens);

// The title of word (letters, digits, signs and spaces: hasGlyph) for a
// flight of seconds, its material textured with textureFile. Throws
// std::invalid_argument for a character without a glyph or a word that
// draws nothing.
SceneData titleScene(const std::string& word, const TitleStyle& style, float seconds, const FlightLens& lens,
                     const std::string& textureFile);
