#include "shell/timeline.h"

#include <cmath>
#include <limits>

#include "shell/calm.h"

namespace {

using schedule::Window;

// The window of a segment, 1 to 18. The first has no lower bound.
Window segmentWindow(const Timing& timing, int segment) {
    return Window{segment == 1 ? -std::numeric_limits<double>::infinity() : timing.segmentStart(segment),
                  timing.segmentEnd(segment)};
}

bool inside(const Window& w, double t) { return w.begin < t && t < w.end; }

LookAt lookAtFrom(const Camera& camera, double eyeShift) {
    const Vec3 p = camera.getPosition();
    const Vec3 q = camera.getTarget();
    LookAt view;
    view.eye[0] = double(p.x) + eyeShift;
    view.eye[1] = p.y;
    view.eye[2] = p.z;
    view.centre[0] = q.x;
    view.centre[1] = q.y;
    view.centre[2] = q.z;
    view.up[2] = 1.0;
    return view;
}

const Camera* firstCamera(const Scene& scene) { return scene.getCameraCount() != 0 ? scene.getCamera(0) : nullptr; }

Vec3 angles(const ShellState& state) { return Vec3{state.rotationX, state.rotationY, state.rotationZ}; }

// The spinning segments all turn about x at -50 and about y at -10 degrees a
// second; only the z rate differs.
void storeAngles(ShellState& state, float t, float zRate) {
    state.rotationX = -50.0f * t;
    state.rotationY = -10.0f * t;
    state.rotationZ = zRate * t;
}

// Spin with the angles stored by an earlier frame, then store new ones.
void oldSpin(FramePlan& plan, const ShellState& state) {
    plan.spin = true;
    plan.spinAngles = angles(state);
}

// Store the new angles first and spin with them.
void newSpin(FramePlan& plan, ShellState& state, float t, float zRate) {
    storeAngles(state, t, zRate);
    plan.spin = true;
    plan.spinAngles = angles(state);
}

void textured(FramePlan& plan) { plan.style = DrawStyle::Textured; }

void planFlight(FramePlan& plan, ShellState& state, const SceneTable& scenes, const Timing& timing, float t,
                const schedule::Flight& flight) {
    state.fieldOfView = schedule::kFlightFieldOfView;
    const Camera* camera = firstCamera(scenes.drawnIn(flight.segment, flight.scene));
    // Without a camera there is no view to fly: the frame stays cleared.
    if (!camera) return;
    plan.view = ViewSetup::LookAt;
    plan.lookAt = cameraFlight(*camera, t, timing.segmentStart(flight.segment));
    plan.style = DrawStyle::White;
}

const schedule::Flight* flightOf(int segment) {
    for (const schedule::Flight& flight : schedule::kFlights)
        if (flight.segment == segment) return &flight;
    return nullptr;
}

// Segment 1: the opening object, from inside, in the drawing mode chosen
// from the menu. It keeps the field of view it finds: 190 degrees from
// start-up. Its spin follows the time of its motion.
void planOpening(FramePlan& plan, ShellState& state, const SceneTable& scenes, float motion) {
    const Camera* camera = firstCamera(scenes.drawnIn(plan.segment, plan.scene));
    if (camera) {
        plan.view = ViewSetup::LookAt;
        plan.lookAt = lookAtFrom(*camera, 0.0);
    } else {
        plan.view = ViewSetup::Translate;
        plan.translation = Vec3{0.0f, 0.0f, state.zoom};
    }
    oldSpin(plan, state);
    if (state.autoRotate == -1) storeAngles(state, motion, 30.0f);
    // Only "Texturemap" has a drawing; the other modes leave the screen black.
    if (state.renderMode == kRenderTexturemap) plan.style = DrawStyle::Textured;
}

// Segment 4: the opening object again, in outlines that flash wider on the
// beats, then in black and white stripes that break into waves.
void planFlashingObject(FramePlan& plan, ShellState& state, const Timing& timing, float t) {
    const double time = t;
    bool flash = false;
    for (const Window& w : timing.flashes) flash = flash || inside(w, time);
    state.fieldOfView = flash ? 170.0f : 150.0f;
    oldSpin(plan, state);
    storeAngles(state, t, 30.0f);
    if (time < timing.stripes) {
        plan.style = DrawStyle::Outline;
    } else if (time > timing.stripes) {
        plan.style = DrawStyle::Banded;
        if (time > timing.waves) plan.wave = Wave{10.0f, 64, t};
    }
}

// Segment 5: the tunnel, its texture scrolling, then its lens pulsing.
void planTunnel(FramePlan& plan, ShellState& state, const Timing& timing, float t) {
    const double time = t;
    const bool pulsing = time > timing.pulse;
    state.fieldOfView = pulsing ? float(15.0 * std::sin(10.0 * time) + 110.0) : 120.0f;
    plan.texture = TextureSetup::Translate;
    plan.textureTranslation = pulsing ? Vec3{0.5f * t, 0.5f * t, 5.0f} : Vec3{0.0f, -t, 0.0f};
    plan.view = ViewSetup::Translate;
    plan.translation = Vec3{0.0f, 0.0f, -15.0f};
    textured(plan);
}

// Segments 6 to 9: textured objects spinning around the viewer, moved by
// the time of their motion.
void planSpinningObject(FramePlan& plan, ShellState& state, float motion) {
    const double time = motion;
    plan.texture = TextureSetup::Reset;
    switch (plan.segment) {
    case 6:
        state.fieldOfView = 170.0f;
        plan.view = ViewSetup::Translate;
        plan.translation = Vec3{0.0f, 0.0f, float(20.0 * std::sin(time) - 20.0)};
        newSpin(plan, state, motion, 1.0f);
        textured(plan);
        break;
    case 7:
    case 8:
        state.fieldOfView = 170.0f;
        newSpin(plan, state, motion, 5.0f);
        textured(plan);
        plan.wave = Wave{20.0f, 16, motion};
        break;
    default:
        state.fieldOfView = 110.0f;
        plan.view = ViewSetup::Translate;
        plan.translation = Vec3{0.0f, 0.0f, float(80.0 * std::sin(4.0 * time) - 140.0)};
        newSpin(plan, state, motion, 1.0f);
        textured(plan);
        break;
    }
}

// The number of the last face that a scene's drawing sends, -1 for none:
// the last face of its last mesh that has any.
int lastFaceNumber(const Scene& scene) {
    for (int i = scene.getMeshCount() - 1; i >= 0; --i) {
        const Mesh* mesh = scene.getMesh(i);
        if (mesh && mesh->getTriangleCount() > 0) return mesh->getTriangleCount() - 1;
    }
    return -1;
}

// What the frame's drawing leaves in OpenGL for the next frame. Each face
// of the white, outline and banded styles sets its colour, so the last one
// drawn decides; textured faces set none.
void keepWhatTheFrameLeaves(const FramePlan& plan, const SceneTable& scenes, ShellState& state) {
    if (plan.texture == TextureSetup::Reset) state.textureMatrix = TextureMatrix{};
    if (plan.texture == TextureSetup::Translate) state.textureMatrix = TextureMatrix{true, plan.textureTranslation};
    if (plan.style == DrawStyle::Nothing || plan.style == DrawStyle::Textured) return;
    const int last = lastFaceNumber(scenes.drawnIn(plan.segment, plan.scene));
    if (last < 0) return;
    if (plan.style == DrawStyle::Outline) {
        state.colour = CurrentGrey{true, 0.0f, shadeOfFace(state.shadeTable, last)};
    } else {
        const bool white = plan.style == DrawStyle::White || bandIsWhite(last);
        state.colour = CurrentGrey{false, white ? 1.0f : 0.0f, 0};
    }
}

}  // namespace

int findSegment(const Timing& timing, float t) {
    const double time = t;
    for (int segment = 1; segment <= kSegmentCount; ++segment)
        if (inside(segmentWindow(timing, segment), time)) return segment;
    return 0;
}

bool showHasEnded(const Timing& timing, float t) { return double(t) > timing.end(); }

LookAt cameraFlight(const Camera& camera, float t, double start) {
    return lookAtFrom(camera, (double(t) - start) * schedule::kFlightSpeed);
}

Vec3 waveOffset(const Wave& wave, int face) {
    if (wave.groupSize <= 0) return Vec3{};
    const int group = (face < 0 ? 0 : face) / wave.groupSize;
    const double a = double(group) + double(wave.time);
    const float along = float(double(wave.amplitude) * std::cos(a));
    return Vec3{along, float(double(wave.amplitude) * std::sin(a)), along};
}

bool bandIsWhite(int face) { return face % 4 >= 2; }

FramePlan planFrame(ShellState& state, const SceneTable& scenes, const Timing& timing, float t) {
    FramePlan plan;
    if (showHasEnded(timing, t)) {
        plan.ended = true;
        return plan;
    }
    plan.segment = findSegment(timing, t);
    if (plan.segment != 0) {
        const schedule::ObjectSegment drawn = schedule::segmentScenes(plan.segment);
        plan.scene = drawn.scene;
        plan.materialScene = drawn.materials;
    }
    const float motion = state.calm ? calm::motionTime(timing, plan.segment, t) : t;
    if (const schedule::Flight* flight = flightOf(plan.segment)) {
        planFlight(plan, state, scenes, timing, t, *flight);
    } else {
        switch (plan.segment) {
        case 1:
            planOpening(plan, state, scenes, motion);
            break;
        case 4:
            planFlashingObject(plan, state, timing, t);
            break;
        case 5:
            planTunnel(plan, state, timing, t);
            break;
        case 6:
        case 7:
        case 8:
        case 9:
            planSpinningObject(plan, state, motion);
            break;
        default:
            break;
        }
    }
    plan.fieldOfView = state.fieldOfView;
    keepWhatTheFrameLeaves(plan, scenes, state);
    if (state.calm && calm::dims(plan.segment)) plan.brightest = calm::kDimGrey;
    return plan;
}
