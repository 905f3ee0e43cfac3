#include <gtest/gtest.h>

#include <string>

#include "scene/chunk.h"
#include "scene/scene_writer.h"
#include "tests/test_support.h"

using namespace scene_writer;

namespace {

KeyData key(int32_t frame, Vec3 value, uint16_t flags = 0) {
    KeyData k;
    k.frame = frame;
    k.value = value;
    k.flags = flags;
    return k;
}

template <typename Fill>
std::vector<uint8_t> keyframerFile(uint32_t start, uint32_t end, Fill fill) {
    ChunkWriter w;
    beginSceneFile(w);
    endEditor(w);
    beginKeyframer(w, start, end);
    fill(w);
    w.end();
    w.end();
    return w.bytes();
}

TEST(KeyframerChunks, CameraTargetAndMeshNodesBecomeTracks) {
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, keyframerFile(0, 100, [](ChunkWriter& w) {
                              writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_POS, "Camera01", 0,
                                        {key(0, {1, 2, 3}), key(100, {4, 5, 6})});
                              writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET, "Camera01", 1,
                                        {key(0, {0, 0, 0}), key(100, {1, 1, 1})});
                              w.begin(CHUNK_KEYFRAMER_TRACK_MESH);
                              w.chunkStr(CHUNK_KEYFRAMER_TRACK_OBJECT_NAME, "Box");
                              w.begin(CHUNK_KEYFRAMER_TRACK_OBJECT_NUMBER);
                              w.i16(2);
                              w.end();
                              writePositionTrack(w, {key(5, {7, 8, 9})});
                              // Rotation and scale tracks are skipped silently.
                              w.begin(0xB021);
                              w.u32(0);
                              w.end();
                              w.begin(0xB022);
                              w.u32(0);
                              w.end();
                              w.end();
                          }),
                          &out));
    Keyframer k = scene.getKeyframer();
    EXPECT_EQ(k.getFramesStart(), 0);
    EXPECT_EQ(k.getFramesEnd(), 100);
    ASSERT_EQ(k.getTrackCount(), 3);
    char name[32] = {};
    EXPECT_EQ(k.getTrack(0)->getKind(), TRACK_CAMERA_POS);
    k.getTrack(0)->getName(name, 32);
    EXPECT_STREQ(name, "Camera01");
    EXPECT_EQ(k.getTrack(0)->getObjectNumber(), 0);
    EXPECT_EQ(k.getTrack(0)->getKeyCount(), 2);
    EXPECT_EQ(k.getTrack(0)->getKey(1)->frame, 100);
    EXPECT_EQ(k.getTrack(0)->getKey(1)->value.y, 5.0f);
    EXPECT_EQ(k.getTrack(1)->getKind(), TRACK_CAMERA_TARGET);
    EXPECT_EQ(k.getTrack(1)->getObjectNumber(), 1);
    EXPECT_EQ(k.getTrack(2)->getKind(), TRACK_MESH);
    k.getTrack(2)->getName(name, 32);
    EXPECT_STREQ(name, "Box");
    EXPECT_EQ(k.getTrack(2)->getObjectNumber(), 2);
    ASSERT_EQ(k.getTrack(2)->getKeyCount(), 1);
    EXPECT_EQ(k.getTrack(2)->getKey(0)->value.z, 9.0f);
    EXPECT_EQ(out,
              "3D Studio Version 3 found!\n---------------------------\n"
              "3D Editor Version 3 chunk found!\n"
              "CHUNK_KEYFRAMER found!\n"
              "CHUNK_KEYFRAMER_FRAMES found!\n"
              "CHUNK_KEYFRAMER_TRACK_CAMERA_POS found!\n"
              "CHUNK_KEYFRAMER_TRACK_OBJECT_NAME found!\n"
              "CHUNK_KEYFRAMER_TRACK_OBJECT_NUMBER found!\n"
              "CHUNK_KEYFRAMER_TRACK_OBJECT_POS found!\n"
              "CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET found!\n"
              "CHUNK_KEYFRAMER_TRACK_OBJECT_NAME found!\n"
              "CHUNK_KEYFRAMER_TRACK_OBJECT_NUMBER found!\n"
              "CHUNK_KEYFRAMER_TRACK_OBJECT_POS found!\n"
              "CHUNK_KEYFRAMER_TRACK_MESH found!\n"
              "CHUNK_KEYFRAMER_TRACK_OBJECT_NAME found!\n"
              "CHUNK_KEYFRAMER_TRACK_OBJECT_NUMBER found!\n"
              "CHUNK_KEYFRAMER_TRACK_OBJECT_POS found!\n");
}

TEST(KeyframerChunks, EmptyPositionTrackAddsNoKeyAndCountsTwentyBytes) {
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, keyframerFile(0, 10, [](ChunkWriter& w) {
                              w.begin(CHUNK_KEYFRAMER_TRACK_CAMERA_POS);
                              writePositionTrack(w, {});
                              w.end();
                              // Met right after the 20 bytes: a wrong count would misread this node.
                              writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET, "T", 1, {key(3, {1, 1, 1})});
                          })));
    Keyframer k = scene.getKeyframer();
    ASSERT_EQ(k.getTrackCount(), 2);
    EXPECT_EQ(k.getTrack(0)->getKeyCount(), 0);
    EXPECT_EQ(k.getTrack(1)->getKeyCount(), 1);
}

TEST(KeyframerChunks, SplineFlagsSelectTheOptionalFieldsInBitOrder) {
    KeyData tensionAndBias = key(0, {1, 2, 3}, 0x0005);
    tensionAndBias.tension = 0.25f;
    tensionAndBias.bias = 0.75f;
    KeyData eases = key(10, {4, 5, 6}, 0x0018);
    eases.easeTo = 0.125f;
    eases.easeFrom = 0.375f;
    KeyData otherBit = key(20, {7, 8, 9}, 0x0020);
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, keyframerFile(0, 20, [&](ChunkWriter& w) {
                              writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_POS, "C", 0,
                                        {tensionAndBias, eases, otherBit});
                          })));
    Track* track = scene.getKeyframer().getTrack(0);
    ASSERT_EQ(track->getKeyCount(), 3);
    const Key& a = *track->getKey(0);
    EXPECT_EQ(a.flags, 0x0005);
    EXPECT_EQ(a.spline.tension, 0.25f);
    EXPECT_EQ(a.spline.continuity, 0.5f);
    EXPECT_EQ(a.spline.bias, 0.75f);
    EXPECT_EQ(a.spline.ease_to, 0.0f);
    EXPECT_EQ(a.spline.ease_from, 0.0f);
    EXPECT_EQ(a.value.z, 3.0f);
    const Key& b = *track->getKey(1);
    EXPECT_EQ(b.spline.ease_to, 0.125f);
    EXPECT_EQ(b.spline.ease_from, 0.375f);
    EXPECT_EQ(b.spline.tension, 0.5f);
    EXPECT_EQ(b.value.x, 4.0f);
    const Key& c = *track->getKey(2);
    EXPECT_EQ(c.frame, 20);
    EXPECT_EQ(c.spline.tension, 0.5f);
    EXPECT_EQ(c.spline.continuity, 0.5f);
    EXPECT_EQ(c.spline.bias, 0.5f);
    EXPECT_EQ(c.spline.ease_to, 0.0f);
    EXPECT_EQ(c.spline.ease_from, 0.0f);
    EXPECT_EQ(c.value.y, 8.0f);
}

TEST(KeyframerChunks, NodeIdFFFFIsObjectNumberMinusOne) {
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, keyframerFile(0, 1, [](ChunkWriter& w) {
                              writeNode(w, CHUNK_KEYFRAMER_TRACK_MESH, "Box", -1, {});
                          })));
    EXPECT_EQ(scene.getKeyframer().getTrack(0)->getObjectNumber(), -1);
}

TEST(KeyframerChunks, OtherNodeKindsAreSkippedWholeAndNotNumbered) {
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, keyframerFile(0, 1, [](ChunkWriter& w) {
                              writeNode(w, 0xB005, "Light01", 7, {key(0, {1, 1, 1})});
                              writeNode(w, CHUNK_KEYFRAMER_TRACK_MESH, "Box", 2, {key(0, {2, 2, 2})});
                          }),
                          &out));
    Keyframer k = scene.getKeyframer();
    ASSERT_EQ(k.getTrackCount(), 1);
    char name[32] = {};
    k.getTrack(0)->getName(name, 32);
    EXPECT_STREQ(name, "Box");
    EXPECT_EQ(k.getTrack(0)->getObjectNumber(), 2);
    EXPECT_EQ(out.find("Light"), std::string::npos);
}

TEST(KeyframerChunks, FrameChunkAfterTheNodesStillSetsTheRange) {
    ChunkWriter w;
    beginSceneFile(w);
    endEditor(w);
    w.begin(CHUNK_KEYFRAMER);
    writeNode(w, CHUNK_KEYFRAMER_TRACK_MESH, "Box", 0, {});
    w.begin(CHUNK_KEYFRAMER_FRAMES);
    w.u32(5);
    w.u32(50);
    w.end();
    w.end();
    w.end();
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, w.bytes()));
    EXPECT_EQ(scene.getKeyframer().getFramesStart(), 5);
    EXPECT_EQ(scene.getKeyframer().getFramesEnd(), 50);
}

TEST(KeyframerChunks, OtherChunkAndFramesOnlyGiveNoTrackAndNoMessage) {
    ChunkWriter w;
    beginSceneFile(w);
    endEditor(w);
    w.begin(CHUNK_KEYFRAMER);
    w.begin(0xB00A);
    w.str("scene");
    w.end();
    w.begin(CHUNK_KEYFRAMER_FRAMES);
    w.u32(0);
    w.u32(9);
    w.end();
    w.end();
    w.end();
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, w.bytes(), &out));
    EXPECT_EQ(scene.getKeyframer().getTrackCount(), 0);
    EXPECT_EQ(scene.getKeyframer().getFramesEnd(), 9);
    EXPECT_NE(out.find("CHUNK_KEYFRAMER found!\nCHUNK_KEYFRAMER_FRAMES found!\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("unknown"), std::string::npos);
}

TEST(KeyframerChunks, NodeFieldsBeforeAnyNodeAreIgnored) {
    ChunkWriter w;
    beginSceneFile(w);
    endEditor(w);
    w.begin(CHUNK_KEYFRAMER);
    w.chunkStr(CHUNK_KEYFRAMER_TRACK_OBJECT_NAME, "Orphan");
    w.begin(CHUNK_KEYFRAMER_TRACK_OBJECT_NUMBER);
    w.i16(4);
    w.end();
    writePositionTrack(w, {key(0, {1, 1, 1})});
    writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_POS, "Camera01", 0, {key(0, {2, 2, 2})});
    w.end();
    w.end();
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, w.bytes()));
    Keyframer k = scene.getKeyframer();
    ASSERT_EQ(k.getTrackCount(), 1);
    char name[32] = {};
    k.getTrack(0)->getName(name, 32);
    EXPECT_STREQ(name, "Camera01");
    ASSERT_EQ(k.getTrack(0)->getKeyCount(), 1);
    EXPECT_EQ(k.getTrack(0)->getKey(0)->value.x, 2.0f);
}

TEST(KeyframerChunks, SecondPositionTrackOfANodeIsPassedOver) {
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, keyframerFile(0, 20, [](ChunkWriter& w) {
                              w.begin(CHUNK_KEYFRAMER_TRACK_CAMERA_POS);
                              writePositionTrack(w, {key(0, {1, 1, 1}), key(10, {2, 2, 2})});
                              writePositionTrack(w, {key(20, {3, 3, 3})});
                              w.end();
                              writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET, "T", 1, {key(0, {4, 4, 4})});
                          })));
    Keyframer k = scene.getKeyframer();
    ASSERT_EQ(k.getTrackCount(), 2);
    ASSERT_EQ(k.getTrack(0)->getKeyCount(), 2);
    EXPECT_EQ(k.getTrack(0)->getKey(0)->frame, 0);
    EXPECT_EQ(k.getTrack(0)->getKey(1)->value.x, 2.0f);
    EXPECT_EQ(k.getTrack(1)->getKeyCount(), 1);
}

TEST(KeyframerChunks, KeyCountBeyondTheChunkKeepsOnlyWholeKeys) {
    ChunkWriter w;
    beginSceneFile(w);
    endEditor(w);
    beginKeyframer(w, 0, 1);
    w.begin(CHUNK_KEYFRAMER_TRACK_CAMERA_POS);
    w.begin(CHUNK_KEYFRAMER_TRACK_OBJECT_POS);
    w.u16(0);
    for (int i = 0; i < 8; ++i) w.u8(0);
    w.u32(0xFFFFFFFF);
    w.u32(3);
    w.u16(0);
    w.f32(1), w.f32(2), w.f32(3);
    w.u32(4);
    w.u16(0x001F);
    w.end();
    w.end();
    w.end();
    w.end();
    Scene scene;
    EXPECT_TRUE(loadBytes(scene, w.bytes()));
    Track* track = scene.getKeyframer().getTrack(0);
    ASSERT_EQ(track->getKeyCount(), 1);
    EXPECT_EQ(track->getKey(0)->frame, 3);
    EXPECT_EQ(track->getKey(0)->value.y, 2.0f);
}

}  // namespace
