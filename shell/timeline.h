#pragma once

#include "geometry/vector_math.h"
#include "shell/scene_table.h"
#include "shell/schedule.h"
#include "shell/shell_state.h"
#include "shell/timing.h"

// What one frame of the show looks like, decided from the demo time, the
// show's timing and the shell state without any OpenGL call. The renderer
// carries it out.

using schedule::kSegmentCount;

// The segment whose window holds t, 1 to 18, or 0 when none does: windows
// exclude both bounds, so at a bound (and after the end) no segment runs.
int findSegment(const Timing& timing, float t);

// True when t lies past the last window: the show is over.
bool showHasEnded(const Timing& timing, float t);

enum class DrawStyle {
    // Nothing drawn: the opening segment in render modes 1 to 3, segment 4
    // at t = 21 exactly, a camera flight without a camera.
    Nothing,
    // The mesh's texture, modulated by whatever colour is current.
    Textured,
    // White triangles with vertex normals.
    White,
    // Open line strips in the face's grey shade.
    Outline,
    // Black and white pairs of triangles.
    Banded,
};

enum class TextureSetup {
    // The texture matrix keeps what the last frame that set it left.
    Keep,
    Reset,
    Translate,
};

enum class ViewSetup {
    // Identity: the scene sits around the eye.
    None,
    LookAt,
    Translate,
};

// Faces move in groups of groupSize consecutive faces along a circle of
// radius amplitude, each group at its own angle at the frame's time;
// groupSize 0 means no movement.
struct Wave {
    float amplitude = 0.0f;
    int groupSize = 0;
    float time = 0.0f;
};

struct LookAt {
    double eye[3] = {};
    double centre[3] = {};
    double up[3] = {};
};

struct FramePlan {
    // t is past the last window: end the show, draw nothing.
    bool ended = false;
    // 1 to 18; 0 runs no segment: nothing is cleared or drawn.
    int segment = 0;
    float fieldOfView = 0.0f;
    TextureSetup texture = TextureSetup::Keep;
    Vec3 textureTranslation;
    ViewSetup view = ViewSetup::None;
    LookAt lookAt;
    Vec3 translation;
    // Rotations about x, then y, then z, in degrees, applied after the view.
    bool spin = false;
    Vec3 spinAngles;
    SceneId scene = SceneId::Test;
    // The scene whose material list the textured style looks meshes up in.
    SceneId materialScene = SceneId::Test;
    DrawStyle style = DrawStyle::Nothing;
    Wave wave;
    // The brightest the frame draws: 1, or in the calm show's dimmed frames
    // calm::kDimGrey. White faces are drawn in this grey, outlines in their
    // shade times it, and textures are modulated by it times the colour
    // they find.
    float brightest = 1.0f;
};

// Decides frame t and stores in state what the frame changes: the field of
// view and the rotation angles, and what its drawing leaves in OpenGL for
// the next frame (the colour of the last face drawn, the texture matrix).
// With state.calm, the calm show's frame (shell/calm.h); what it leaves for
// the next frame is the ordinary show's, which the renderer restores.
FramePlan planFrame(ShellState& state, const SceneTable& scenes, const Timing& timing, float t);

// The view of a camera flight that started at start: the eye leaves the
// camera's stored position along +x at 100 units a second, the centre stays
// on its target, up is +z.
LookAt cameraFlight(const Camera& camera, float t, double start);

// The per-face offset of face number face.
Vec3 waveOffset(const Wave& wave, int face);

// Banded faces come in pairs: 0 and 1 black, 2 and 3 white, and so on.
bool bandIsWhite(int face);
