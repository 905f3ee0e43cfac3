#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "scene/scene_writer.h"
#include "tests/test_support.h"

namespace {

struct NodeKey {
    int frame;
    Vec3 value;
    float easeTo = 0.0f;
    float easeFrom = 0.0f;
};

// One keyframer node: its chunk id decides the track kind.
struct Node {
    uint16_t chunk = CHUNK_KEYFRAMER_TRACK_CAMERA_POS;
    int16_t id = 0;
    std::vector<NodeKey> keys;
};

struct SceneLayout {
    int cameras = 1;
    uint32_t framesStart = 0;
    uint32_t framesEnd = 100;
    bool keyframer = true;
    std::vector<Node> nodes;
};

std::vector<uint8_t> sceneBytes(const SceneLayout& layout) {
    using namespace scene_writer;
    ChunkWriter w;
    beginSceneFile(w);
    for (int i = 0; i < layout.cameras; ++i)
        writeCameraObject(w, "Camera" + std::to_string(i), {float(i), 0, 0}, {0, 0, 0}, 0.0f, 50.0f);
    endEditor(w);
    if (layout.keyframer) {
        beginKeyframer(w, layout.framesStart, layout.framesEnd);
        int index = 0;
        for (const Node& node : layout.nodes) {
            std::vector<KeyData> keys;
            for (const NodeKey& key : node.keys) {
                KeyData data;
                data.frame = key.frame;
                data.value = key.value;
                data.flags = 0x0018;
                data.easeTo = key.easeTo;
                data.easeFrom = key.easeFrom;
                keys.push_back(data);
            }
            writeNode(w, node.chunk, "Node" + std::to_string(index++), node.id, keys);
        }
        w.end();
    }
    w.end();
    return w.bytes();
}

// Ten mesh nodes, then the given node at track index 10.
std::vector<Node> atIndexTen(const Node& node) {
    Node mesh;
    mesh.chunk = CHUNK_KEYFRAMER_TRACK_MESH;
    mesh.keys = {{0, {-1, -1, -1}}, {50, {-2, -2, -2}}};
    std::vector<Node> nodes(10, mesh);
    nodes.push_back(node);
    return nodes;
}

void load(Scene& scene, const SceneLayout& layout) {
    std::string output;
    ASSERT_TRUE(loadBytes(scene, sceneBytes(layout), &output)) << output;
    ASSERT_EQ(scene.getCameraCount(), layout.cameras);
}

Track& track(const Scene& scene, int index) { return *scene.getKeyframer().getTrack(index); }

// Values no operation writes, to tell a camera that was left alone.
Vec3 markPosition(int camera) { return {100.0f + float(camera), 7, 7}; }
Vec3 markTarget(int camera) { return {200.0f + float(camera), 8, 8}; }

void mark(Scene& scene) {
    for (int i = 0; i < scene.getCameraCount(); ++i) {
        scene.getCamera(i)->setAnimatedPosition(markPosition(i));
        scene.getCamera(i)->setAnimatedTarget(markTarget(i));
    }
}

::testing::AssertionResult same(Vec3 actual, Vec3 expected) {
    if (actual.x == expected.x && actual.y == expected.y && actual.z == expected.z)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected (" << expected.x << ", " << expected.y << ", " << expected.z
                                         << "), actual (" << actual.x << ", " << actual.y << ", " << actual.z << ")";
}

// For blends that float arithmetic cannot give exactly: each component
// within tolerance of the value worked out in exact arithmetic.
::testing::AssertionResult near(Vec3 actual, Vec3 expected, float tolerance) {
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected (" << expected.x << ", " << expected.y << ", " << expected.z
                                         << ") within " << tolerance << ", actual (" << actual.x << ", " << actual.y
                                         << ", " << actual.z << ")";
}

void expectMarked(const Scene& scene, const std::string& what) {
    for (int i = 0; i < scene.getCameraCount(); ++i) {
        EXPECT_TRUE(same(scene.getCamera(i)->getAnimatedPosition(), markPosition(i)))
            << what << ": position of camera " << i;
        EXPECT_TRUE(same(scene.getCamera(i)->getAnimatedTarget(), markTarget(i))) << what << ": target of camera " << i;
    }
}

Vec3 position(const Scene& scene, int camera = 0) { return scene.getCamera(camera)->getAnimatedPosition(); }

enum Operation { SPLINE, LINEAR, LOOP };
const char* const kOperationNames[] = {"animateSpline", "animateLinear", "animateSplineLoop"};

void run(Scene& scene, Operation op, int frame) {
    if (op == SPLINE) scene.animateSpline(frame);
    if (op == LINEAR) scene.animateLinear(frame);
    if (op == LOOP) scene.animateSplineLoop(frame);
}

// Eleven copies of one node, so that every operation reads it.
SceneLayout everywhere(const Node& node, int cameras = 1) {
    SceneLayout layout;
    layout.cameras = cameras;
    layout.nodes.assign(11, node);
    return layout;
}

const Vec3 kP0{0, 0, 0}, kP1{10, 20, -30}, kP2{30, 10, 0}, kP3{40, 40, 40};

Node fourKeys() {
    Node node;
    node.keys = {{0, kP0}, {10, kP1}, {20, kP2}, {30, kP3}};
    return node;
}

TEST(SceneAnimation, OneKeyTrackAppliesItsKeyAtEveryFrame) {
    Node node;
    node.keys = {{5, {1, 2, 3}}};
    for (Operation op : {SPLINE, LINEAR, LOOP}) {
        Scene scene;
        load(scene, everywhere(node));
        for (int frame : {-10, 0, 5, 50, 500}) {
            mark(scene);
            run(scene, op, frame);
            EXPECT_TRUE(same(position(scene), {1, 2, 3})) << kOperationNames[op] << " at frame " << frame;
        }
    }
}

TEST(SceneAnimation, TwoKeySplineBlendsWithTheFirstKeyTangentAtBothEnds) {
    Node node;
    node.keys = {{0, kP0}, {10, kP1}};
    SceneLayout layout;
    layout.framesEnd = 10;
    layout.nodes = atIndexTen(node);
    Scene scene;
    load(scene, layout);
    // Both tangents are T = (1 - tension) (P1 - P0) = (5, 10, -15) with the
    // initial tension 0.5. P0 is the origin, so the blend is h2 P1 + (h3 + h4) T.
    scene.animateSpline(0);
    EXPECT_TRUE(same(position(scene), kP0)) << "frame 0";
    // u = 0.2: h2 = 0.104, h3 + h4 = 0.128 - 0.032 = 0.096.
    scene.animateSpline(2);
    EXPECT_TRUE(near(position(scene), {1.52f, 3.04f, -4.56f}, 1e-6f)) << "frame 2";
    // u = 0.5: h2 = 0.5, h3 + h4 = 0.125 - 0.125 = 0.
    scene.animateSpline(5);
    EXPECT_TRUE(same(position(scene), {5, 10, -15})) << "frame 5";
    for (int frame : {10, 11, 1000}) {
        scene.animateSpline(frame);
        EXPECT_TRUE(same(position(scene), kP1)) << "frame " << frame;
        EXPECT_EQ(scene.getSegmentCursor(), 0) << "frame " << frame;
    }
}

TEST(SceneAnimation, EasesReshapeTheSplineParameter) {
    Node node;
    node.keys = {{0, kP0, 0.0f, 0.5f}, {10, kP1, 0.25f, 0.0f}};
    SceneLayout layout;
    layout.nodes = atIndexTen(node);
    Scene scene;
    load(scene, layout);
    scene.animateSpline(0);
    scene.animateSpline(3);
    // ease_from 0.5 of the first key, ease_to 0.25 of the second: u = 0.3 lies
    // below 0.5, on the curve (k / 0.5) u^2 with k = 1 / (2 - 0.5 - 0.25) = 0.8,
    // which gives 1.6 * 0.09 = 0.144. The blend at 0.144 is h2 P1 + (h3 + h4) T
    // with T = (5, 10, -15): h2 = 0.05623603 and h3 + h4 = 0.08776397 (to eight
    // places) give 10 h2 + 5 (h3 + h4) = 1.00118016 times (1, 2, -3).
    EXPECT_TRUE(near(position(scene), {1.00118016f, 2.00236032f, -3.00354048f}, 1e-6f));
}

TEST(SceneAnimation, CursorStopsAtTheThirdKeyFromTheEndAndTheLastSegmentExtrapolates) {
    SceneLayout layout;
    layout.framesEnd = 40;
    layout.nodes = atIndexTen(fourKeys());
    Scene scene;
    load(scene, layout);
    // Frames 21 to 29 extrapolate the segment from P1 to P2 at u = 1.1 to 1.9.
    // With the initial tension, continuity and bias 0.5 the weights
    // (1 - t) (1 -/+ c) (1 +/- b) / 2 are 0.1875 and 0.1875 at key 1, 0.5625
    // and 0.0625 at key 2:
    // T0 = 0.1875 (P1 - P0) + 0.1875 (P2 - P1) = (5.625, 1.875, 0) and
    // T1 = 0.5625 (P2 - P1) + 0.0625 (P3 - P2) = (11.875, -3.75, 19.375).
    // Each value is h1 P1 + h2 P2 + h3 T0 + h4 T1 in exact arithmetic; at
    // u = 1.9, for one, h1 = 3.888, h2 = -2.888, h3 = 1.539 and h4 = 3.249.
    // Float arithmetic, which cancels large terms here, comes within 1.4e-5
    // of them.
    const Vec3 extrapolated[] = {
        {30.85875f, 9.886875f, 1.384375f},     // frame 21
        {30.97f, 10.37f, 1.5f},                // frame 22
        {30.19875f, 11.558125f, 0.103125f},    // frame 23
        {28.41f, 13.56f, -3.05f},              // frame 24
        {25.46875f, 16.484375f, -8.203125f},   // frame 25
        {21.24f, 20.44f, -15.6f},              // frame 26
        {15.58875f, 25.535625f, -25.484375f},  // frame 27
        {8.38f, 31.88f, -38.1f},               // frame 28
        {-0.52125f, 39.581875f, -53.690625f},  // frame 29
    };
    for (int frame = 0; frame <= 29; ++frame) {
        scene.animateSpline(frame);
        EXPECT_EQ(scene.getSegmentCursor(), frame < 10 ? 0 : 1) << "frame " << frame;
        if (frame > 20) {
            EXPECT_TRUE(near(position(scene), extrapolated[frame - 21], 5e-5f)) << "frame " << frame;
        }
    }
    scene.animateSpline(30);
    EXPECT_TRUE(same(position(scene), kP3)) << "frame 30 jumps to the last key";
    EXPECT_EQ(scene.getSegmentCursor(), 1) << "frame 30 is not the frames end";
    scene.animateSpline(40);
    EXPECT_TRUE(same(position(scene), kP3)) << "frame 40";
    EXPECT_EQ(scene.getSegmentCursor(), 0) << "frame 40 is the frames end";
}

TEST(SceneAnimation, FramesEndBeforeTheLastKeyLeavesTheCursor) {
    SceneLayout layout;
    layout.framesEnd = 15;
    layout.nodes = atIndexTen(fourKeys());
    Scene scene;
    load(scene, layout);
    for (int frame = 0; frame <= 15; ++frame) scene.animateSpline(frame);
    EXPECT_EQ(scene.getSegmentCursor(), 1);
    scene.animateSpline(30);
    EXPECT_EQ(scene.getSegmentCursor(), 1) << "frame 30, clamped to 15";
}

TEST(SceneAnimation, SkippingAKeyFrameLeavesTheCursorBehind) {
    SceneLayout layout;
    layout.nodes = atIndexTen(fourKeys());
    Scene scene;
    load(scene, layout);
    scene.animateSpline(0);
    scene.animateSpline(5);
    scene.animateSpline(15);
    EXPECT_EQ(scene.getSegmentCursor(), 0);
    // Still the first segment, at u = 1.5, where h1 = 1, h2 = 0, h3 = 0.375 and
    // h4 = 1.125. Both tangents are the first key's, 1.5 (1 - 0.5) (P1 - P0) =
    // (7.5, 15, -22.5), so the blend is P0 + 1.5 T.
    EXPECT_TRUE(same(position(scene), {11.25f, 22.5f, -33.75f}));
}

TEST(SceneAnimation, SplineClampsFramesBeyondTheEnd) {
    Node node;
    node.keys = {{0, kP0}, {200, kP1}};
    SceneLayout layout;
    layout.framesEnd = 100;
    layout.nodes = atIndexTen(node);
    Scene scene;
    load(scene, layout);
    scene.animateSpline(0);
    scene.animateSpline(150);
    // u = 100 / 200 = 0.5: h2 = 0.5 and h3 + h4 = 0, so the blend is 0.5 P1.
    EXPECT_TRUE(same(position(scene), {5, 10, -15})) << "frame 150 plays as 100";
}

TEST(SceneAnimation, LinearAndLoopRestartBeyondTheEnd) {
    Node node;
    node.keys = {{0, kP0}, {200, kP1}};
    SceneLayout layout = everywhere(node);
    layout.framesStart = 20;
    layout.framesEnd = 100;
    Scene scene;
    load(scene, layout);
    // 0.1 P1 (u = 20 / 200) and 0.025 P1 (u = 5 / 200), exact in float.
    scene.animateLinear(150);
    EXPECT_TRUE(same(position(scene), {1, 2, -3})) << "linear, frame 150 plays as 20";
    scene.animateLinear(5);
    EXPECT_TRUE(same(position(scene), {0.25f, 0.5f, -0.75f})) << "linear, frame 5 below the start";

    scene.animateSplineLoop(0);
    EXPECT_TRUE(same(position(scene), kP0)) << "loop, frame 0";
    // u = 0.1: h2 P1 + (h3 + h4) T with h2 = 0.028, h3 + h4 = 0.081 - 0.009 =
    // 0.072 and T = (1 - 0.5) (P1 - P0) = (5, 10, -15).
    scene.animateSplineLoop(150);
    EXPECT_TRUE(near(position(scene), {0.64f, 1.28f, -1.92f}, 1e-6f)) << "loop, frame 150 plays as 20";
}

TEST(SceneAnimation, LinearBlendsTheSegmentOfTheFrame) {
    SceneLayout layout;
    layout.nodes = atIndexTen(fourKeys());
    Scene scene;
    load(scene, layout);
    // P1 + 0.5 (P2 - P1).
    scene.animateLinear(15);
    EXPECT_TRUE(same(position(scene), {20, 15, -15})) << "frame 15";
    EXPECT_EQ(track(scene, 10).getSegment(), 1);
    // The last key's frame keeps the segment found before it: P1 + 2 (P2 - P1).
    scene.animateLinear(30);
    EXPECT_TRUE(same(position(scene), {50, 0, 30})) << "frame 30 after frame 15";
    scene.animateLinear(25);
    scene.animateLinear(30);
    EXPECT_TRUE(same(position(scene), kP3)) << "frame 30 after frame 25";
    scene.animateLinear(35);
    EXPECT_TRUE(same(position(scene), kP3)) << "frame 35";
}

TEST(SceneAnimation, LoopWritesTheCameraNamedByTheNodeId) {
    Node node;
    node.id = 1;
    node.keys = {{0, {3, 4, 5}}};
    Scene scene;
    load(scene, everywhere(node, 2));
    mark(scene);
    scene.animateSplineLoop(0);
    EXPECT_TRUE(same(position(scene, 1), {3, 4, 5})) << "loop, camera 1";
    EXPECT_TRUE(same(position(scene, 0), markPosition(0))) << "loop, camera 0";
    mark(scene);
    scene.animateSpline(0);
    EXPECT_TRUE(same(position(scene, 0), {3, 4, 5})) << "spline, camera 0";
    EXPECT_TRUE(same(position(scene, 1), markPosition(1))) << "spline, camera 1";
}

TEST(SceneAnimation, TargetTracksSetTheAnimatedTarget) {
    Node node;
    node.chunk = CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET;
    node.keys = {{0, {3, 4, 5}}};
    for (Operation op : {SPLINE, LINEAR, LOOP}) {
        Scene scene;
        load(scene, everywhere(node));
        mark(scene);
        run(scene, op, 0);
        EXPECT_TRUE(same(scene.getCamera(0)->getAnimatedTarget(), {3, 4, 5})) << kOperationNames[op];
        EXPECT_TRUE(same(position(scene), markPosition(0))) << kOperationNames[op];
    }
}

TEST(SceneAnimation, TracksOfOtherKindsChangeNothing) {
    Node node;
    node.chunk = CHUNK_KEYFRAMER_TRACK_MESH;
    node.keys = {{0, kP0}, {10, kP1}, {20, kP2}};
    Scene scene;
    load(scene, everywhere(node));
    for (int kind : {TRACK_MESH, TRACK_UNSET}) {
        track(scene, 0).setKind(kind);
        track(scene, 10).setKind(kind);
        for (Operation op : {SPLINE, LINEAR, LOOP}) {
            mark(scene);
            for (int frame : {0, 5, 10, 15, 20}) run(scene, op, frame);
            expectMarked(scene, std::string(kOperationNames[op]) + " on kind " + std::to_string(kind));
            EXPECT_EQ(scene.getSegmentCursor(), 0) << kOperationNames[op];
            EXPECT_EQ(track(scene, 10).getSegment(), -1) << kOperationNames[op];
        }
    }
}

TEST(SceneAnimation, NodeIdMinus99SuppressesTheSplineOperations) {
    Node node;
    node.id = -99;
    node.keys = {{0, {3, 4, 5}}};
    Scene scene;
    load(scene, everywhere(node));
    for (Operation op : {SPLINE, LOOP}) {
        mark(scene);
        run(scene, op, 0);
        expectMarked(scene, kOperationNames[op]);
    }
    scene.animateLinear(0);
    EXPECT_TRUE(same(position(scene), {3, 4, 5})) << "animateLinear does not read the node id";
}

TEST(SceneAnimation, FewerTracksThanTheFixedIndexLeaveCamerasUnchanged) {
    Node node;
    node.keys = {{0, kP0}, {10, kP1}};
    SceneLayout ten = everywhere(node);
    ten.nodes.resize(10);
    SceneLayout none;
    none.keyframer = false;
    SceneLayout framesOnly;
    for (const SceneLayout& layout : {ten, none, framesOnly}) {
        Scene scene;
        load(scene, layout);
        const int tracks = scene.getKeyframer().getTrackCount();
        for (Operation op : {SPLINE, LINEAR, LOOP}) {
            if (op == LOOP && tracks > 0) continue;
            mark(scene);
            for (int frame : {0, 5, 10}) run(scene, op, frame);
            expectMarked(scene, std::string(kOperationNames[op]) + " with " + std::to_string(tracks) + " tracks");
        }
    }
}

TEST(SceneAnimation, CameraIndexOutsideTheListLeavesCamerasUnchanged) {
    for (int16_t id : {2, -1, 32767}) {
        Node node;
        node.id = id;
        node.keys = {{0, kP0}, {10, kP1}};
        Scene scene;
        load(scene, everywhere(node, 2));
        mark(scene);
        for (int frame : {0, 5, 10}) scene.animateSplineLoop(frame);
        expectMarked(scene, "animateSplineLoop with node id " + std::to_string(id));
    }
}

TEST(SceneAnimation, SceneWithoutCamerasIsLeftAlone) {
    Node node;
    node.keys = {{0, kP0}, {10, kP1}, {20, kP2}};
    SceneLayout layout = everywhere(node, 0);
    Scene scene;
    load(scene, layout);
    for (Operation op : {SPLINE, LINEAR, LOOP}) {
        for (int frame : {0, 5, 10}) run(scene, op, frame);
    }
    EXPECT_EQ(scene.getSegmentCursor(), 0);
}

TEST(SceneAnimation, CameraTrackWithoutKeysLeavesCamerasUnchanged) {
    Node node;
    Scene scene;
    load(scene, everywhere(node));
    ASSERT_EQ(track(scene, 10).getKeyCount(), 0);
    for (Operation op : {SPLINE, LINEAR, LOOP}) {
        mark(scene);
        for (int frame : {0, 5}) run(scene, op, frame);
        expectMarked(scene, kOperationNames[op]);
    }
}

TEST(SceneAnimation, KeysSharingAFrameGiveTheLaterKey) {
    Node node;
    node.keys = {{0, kP0}, {0, kP1}, {10, kP2}};
    Scene scene;
    load(scene, everywhere(node));
    for (int frame = 0; frame < 10; ++frame) {
        scene.animateSpline(frame);
        EXPECT_TRUE(same(position(scene), kP1)) << "spline, frame " << frame;
    }
    Node two;
    two.keys = {{10, kP0}, {10, kP1}};
    Scene linear;
    load(linear, everywhere(two));
    linear.animateLinear(10);
    EXPECT_TRUE(same(position(linear), kP1)) << "linear, frame 10";
    linear.animateLinear(5);
    EXPECT_TRUE(same(position(linear), kP0)) << "linear, frame 5";
}

TEST(SceneAnimation, CursorLeftBeyondAShorterTrackBlendsItsLastSegment) {
    // The loop reads track 0 (six keys), the spline track 10 (two keys); they share the cursor.
    Node longer;
    longer.keys = {{0, kP0}, {10, kP1}, {20, kP2}, {30, kP3}, {40, kP0}, {50, kP1}};
    Node shorter;
    shorter.keys = {{0, kP2}, {10, kP3}};
    SceneLayout layout = everywhere(shorter);
    layout.nodes[0] = longer;
    Scene scene;
    load(scene, layout);
    for (int frame = 0; frame <= 35; ++frame) scene.animateSplineLoop(frame);
    ASSERT_EQ(scene.getSegmentCursor(), 3);
    scene.animateSpline(5);
    EXPECT_EQ(scene.getSegmentCursor(), 3);
    // The shorter track's segment from P2 to P3 at u = 0.5, blended with the
    // tangents the loop left, those of its keys K2 to K5 = P2, P3, P0, P1:
    // T0 = 0.1875 (K3 - K2) + 0.1875 (K4 - K3) = (-5.625, -1.875, 0) and
    // T1 = 0.5625 (K4 - K3) + 0.0625 (K5 - K4) = (-21.875, -21.25, -24.375).
    // At u = 0.5 that is 0.5 (P2 + P3) + 0.125 (T0 - T1) = (35, 25, 20) + 0.125 (16.25, 19.375, 24.375).
    EXPECT_TRUE(same(position(scene), {37.03125f, 27.421875f, 23.046875f}));
}

}  // namespace
