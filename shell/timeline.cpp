#include "shell/timeline.h"

#include <cmath>
#include <limits>

namespace {

struct Window {
    double begin;
    double end;
};

// Adjacent windows share their bounds; a time equal to a bound belongs to
// no window. The first window has no lower bound.
constexpr Window kWindows[kSegmentCount] = {
    {-std::numeric_limits<double>::infinity(), 5.0},
    {5.0, 9.6},
    {9.6, 14.4},
    {14.4, 43.24},
    {43.24, 52.81},
    {52.81, 62.41},
    {62.41, 72.0},
    {72.0, 81.57},
    {81.57, 91.16},
    {91.16, 97.16},
    {97.16, 100.16},
    {100.16, 103.16},
    {103.16, 106.16},
    {106.16, 109.16},
    {109.16, 112.16},
    {112.16, 115.16},
    {115.16, 118.16},
    {118.16, kShowEnd},
};

// The camera flights: segment and scene. A flight starts where its window begins.
struct Flight {
    int segment;
    SceneId scene;
};

constexpr Flight kFlights[] = {
    {2, SceneId::Zentrik},   {3, SceneId::Ranko},     {10, SceneId::Quickbite}, {11, SceneId::Direradeduziv},
    {12, SceneId::Velmora},  {13, SceneId::Tornvik},  {14, SceneId::Radidar},   {15, SceneId::Zengreet},
    {16, SceneId::Portal},   {17, SceneId::Tornvik},  {18, SceneId::Radidar},
};

// Segment 4 widens the lens to 170 degrees in these beats of the music.
constexpr Window kSegment4Beats[] = {
    {15.48, 15.68}, {15.8, 16.0}, {17.88, 18.08}, {18.18, 18.38}, {20.3, 20.5}, {20.58, 20.78},
};

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

void texturedScene(FramePlan& plan, SceneId scene) {
    plan.scene = scene;
    plan.materialScene = scene;
    plan.style = DrawStyle::Textured;
}

void planFlight(FramePlan& plan, ShellState& state, const SceneTable& scenes, float t, const Flight& flight) {
    state.fieldOfView = 70.0f;
    plan.scene = flight.scene;
    plan.materialScene = flight.scene;
    const Camera* camera = firstCamera(scenes.scene(flight.scene));
    // Without a camera there is no view to fly: the frame stays cleared.
    if (!camera) return;
    plan.view = ViewSetup::LookAt;
    plan.lookAt = cameraFlight(*camera, t, kWindows[flight.segment - 1].begin);
    plan.style = DrawStyle::White;
}

}  // namespace

int findSegment(float t) {
    const double time = t;
    for (int i = 0; i < kSegmentCount; ++i)
        if (inside(kWindows[i], time)) return i + 1;
    return 0;
}

bool showHasEnded(float t) { return double(t) > kShowEnd; }

LookAt cameraFlight(const Camera& camera, float t, double start) {
    return lookAtFrom(camera, (double(t) - start) * 100.0);
}

Vec3 waveOffset(const Wave& wave, int face, float t) {
    if (wave.groupSize <= 0) return Vec3{};
    const int group = (face < 0 ? 0 : face) / wave.groupSize;
    const double a = double(group) + double(t);
    const float along = float(double(wave.amplitude) * std::cos(a));
    return Vec3{along, float(double(wave.amplitude) * std::sin(a)), along};
}

bool bandIsWhite(int face) { return face % 4 >= 2; }

FramePlan planFrame(ShellState& state, const SceneTable& scenes, float t) {
    FramePlan plan;
    if (showHasEnded(t)) {
        plan.ended = true;
        return plan;
    }
    plan.segment = findSegment(t);
    const double time = t;

    for (const Flight& flight : kFlights) {
        if (flight.segment == plan.segment) {
            planFlight(plan, state, scenes, t, flight);
            plan.fieldOfView = state.fieldOfView;
            return plan;
        }
    }

    switch (plan.segment) {
    case 1: {
        // The opening keeps the field of view it finds: 190 degrees from start-up.
        const Camera* camera = firstCamera(scenes.scene(SceneId::Test));
        if (camera) {
            plan.view = ViewSetup::LookAt;
            plan.lookAt = lookAtFrom(*camera, 0.0);
        } else {
            plan.view = ViewSetup::Translate;
            plan.translation = Vec3{0.0f, 0.0f, state.zoom};
        }
        oldSpin(plan, state);
        if (state.autoRotate == -1) storeAngles(state, t, 30.0f);
        plan.scene = SceneId::Test;
        plan.materialScene = SceneId::Test;
        // Only "Texturemap" has a drawing; the other modes leave the screen black.
        if (state.renderMode == kRenderTexturemap) plan.style = DrawStyle::Textured;
        break;
    }
    case 4: {
        bool beat = false;
        for (const Window& w : kSegment4Beats) beat = beat || inside(w, time);
        state.fieldOfView = beat ? 170.0f : 150.0f;
        oldSpin(plan, state);
        storeAngles(state, t, 30.0f);
        plan.scene = SceneId::Test;
        plan.materialScene = SceneId::Test;
        if (time < 21.0) {
            plan.style = DrawStyle::Outline;
        } else if (time > 21.0) {
            plan.style = DrawStyle::Banded;
            if (time > 23.6) plan.wave = Wave{10.0f, 64};
        }
        break;
    }
    case 5: {
        const bool pulsing = time > 47.96;
        state.fieldOfView = pulsing ? float(15.0 * std::sin(10.0 * time) + 110.0) : 120.0f;
        plan.texture = TextureSetup::Translate;
        plan.textureTranslation = pulsing ? Vec3{0.5f * t, 0.5f * t, 5.0f} : Vec3{0.0f, -t, 0.0f};
        plan.view = ViewSetup::Translate;
        plan.translation = Vec3{0.0f, 0.0f, -15.0f};
        texturedScene(plan, SceneId::Test2);
        // test2.3ds is dressed in test.3ds's materials: its meshes' indices
        // are looked up in that scene's list.
        plan.materialScene = SceneId::Test;
        break;
    }
    case 6:
        state.fieldOfView = 170.0f;
        plan.texture = TextureSetup::Reset;
        plan.view = ViewSetup::Translate;
        plan.translation = Vec3{0.0f, 0.0f, float(20.0 * std::sin(time) - 20.0)};
        newSpin(plan, state, t, 1.0f);
        texturedScene(plan, SceneId::Sphere);
        break;
    case 7:
    case 8:
        state.fieldOfView = 170.0f;
        plan.texture = TextureSetup::Reset;
        newSpin(plan, state, t, 5.0f);
        texturedScene(plan, plan.segment == 7 ? SceneId::Sphere : SceneId::Torus2Underscore);
        plan.wave = Wave{20.0f, 16};
        break;
    case 9:
        state.fieldOfView = 110.0f;
        plan.texture = TextureSetup::Reset;
        plan.view = ViewSetup::Translate;
        plan.translation = Vec3{0.0f, 0.0f, float(80.0 * std::sin(4.0 * time) - 140.0)};
        newSpin(plan, state, t, 1.0f);
        texturedScene(plan, SceneId::Torus2);
        break;
    default:
        break;
    }
    plan.fieldOfView = state.fieldOfView;
    return plan;
}
