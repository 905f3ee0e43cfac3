#include <gtest/gtest.h>

#include <string>

#include "geometry/camera.h"
#include "geometry/light.h"

namespace {

void expectVec(Vec3 actual, float x, float y, float z, const std::string& what) {
    EXPECT_EQ(actual.x, x) << what;
    EXPECT_EQ(actual.y, y) << what;
    EXPECT_EQ(actual.z, z) << what;
}

TEST(Camera, NewCameraHasEveryFieldAtZeroAndNoName) {
    Camera camera;
    expectVec(camera.getPosition(), 0, 0, 0, "position");
    expectVec(camera.getTarget(), 0, 0, 0, "target");
    EXPECT_EQ(camera.getBank(), 0.0f);
    EXPECT_EQ(camera.getFov(), 0.0f);
    expectVec(camera.getAnimatedPosition(), 0, 0, 0, "animated position");
    expectVec(camera.getAnimatedTarget(), 0, 0, 0, "animated target");
    char buffer[32];
    EXPECT_EQ(camera.getName(buffer, 32), 0);
}

TEST(Camera, StoredAndAnimatedPositionsAreIndependent) {
    Camera camera;
    camera.setPosition(Vec3{1, 2, 3});
    expectVec(camera.getPosition(), 1, 2, 3, "position");
    camera.setAnimatedPosition(Vec3{4, 5, 6});
    expectVec(camera.getPosition(), 1, 2, 3, "position after setAnimatedPosition");
    expectVec(camera.getAnimatedPosition(), 4, 5, 6, "animated position");
    camera.setPosition(Vec3{-1, -2, -3});
    expectVec(camera.getAnimatedPosition(), 4, 5, 6, "animated position after setPosition");
    expectVec(camera.getTarget(), 0, 0, 0, "target");
    expectVec(camera.getAnimatedTarget(), 0, 0, 0, "animated target");
}

TEST(Camera, StoredAndAnimatedTargetsAreIndependent) {
    Camera camera;
    camera.setTarget(Vec3{7, 8, 9});
    camera.setAnimatedTarget(Vec3{10, 11, 12});
    expectVec(camera.getTarget(), 7, 8, 9, "target");
    expectVec(camera.getAnimatedTarget(), 10, 11, 12, "animated target");
    camera.setTarget(Vec3{1, 1, 1});
    expectVec(camera.getAnimatedTarget(), 10, 11, 12, "animated target after setTarget");
    expectVec(camera.getPosition(), 0, 0, 0, "position");
    expectVec(camera.getAnimatedPosition(), 0, 0, 0, "animated position");
}

TEST(Camera, BankAndFovAreIndependent) {
    Camera camera;
    camera.setBank(12.5f);
    EXPECT_EQ(camera.getFov(), 0.0f);
    camera.setFov(53.3f);
    EXPECT_EQ(camera.getBank(), 12.5f);
    EXPECT_EQ(camera.getFov(), 53.3f);
    camera.setBank(-3.0f);
    EXPECT_EQ(camera.getFov(), 53.3f);
}

TEST(Camera, ResetClearsPositionAndTargetOnly) {
    Camera camera;
    camera.setPosition(Vec3{1, 2, 3});
    camera.setTarget(Vec3{4, 5, 6});
    camera.setBank(30.0f);
    camera.setFov(190.0f);
    camera.setAnimatedPosition(Vec3{7, 8, 9});
    camera.setAnimatedTarget(Vec3{10, 11, 12});
    camera.setName("Camera01");
    camera.reset();
    expectVec(camera.getPosition(), 0, 0, 0, "position");
    expectVec(camera.getTarget(), 0, 0, 0, "target");
    EXPECT_EQ(camera.getBank(), 30.0f);
    EXPECT_EQ(camera.getFov(), 190.0f);
    expectVec(camera.getAnimatedPosition(), 7, 8, 9, "animated position");
    expectVec(camera.getAnimatedTarget(), 10, 11, 12, "animated target");
    char buffer[32];
    EXPECT_EQ(camera.getName(buffer, 32), 9);
}

TEST(Light, NewLightHasEveryFieldAtZeroAndNoName) {
    Light light;
    expectVec(light.getPosition(), 0, 0, 0, "position");
    expectVec(light.getTarget(), 0, 0, 0, "target");
    EXPECT_EQ(light.getFlag(), 0);
    expectVec(light.getExtraVector(), 0, 0, 0, "extra vector");
    EXPECT_EQ(light.getValueA(), 0.0f);
    EXPECT_EQ(light.getValueB(), 0.0f);
    char buffer[32];
    EXPECT_EQ(light.getName(buffer, 32), 0);
}

TEST(Light, EveryAccessorHasItsOwnField) {
    Light light;
    light.setPosition(Vec3{1, 2, 3});
    light.setTarget(Vec3{4, 5, 6});
    light.setFlag(0xFF);
    light.setExtraVector(Vec3{7, 8, 9});
    light.setValueA(0.25f);
    light.setValueB(-0.5f);
    expectVec(light.getPosition(), 1, 2, 3, "position");
    expectVec(light.getTarget(), 4, 5, 6, "target");
    EXPECT_EQ(light.getFlag(), 0xFF);
    expectVec(light.getExtraVector(), 7, 8, 9, "extra vector");
    EXPECT_EQ(light.getValueA(), 0.25f);
    EXPECT_EQ(light.getValueB(), -0.5f);
}

TEST(Light, ResetClearsFlagPositionAndTargetOnly) {
    Light light;
    light.setPosition(Vec3{1, 2, 3});
    light.setTarget(Vec3{4, 5, 6});
    light.setFlag(1);
    light.setExtraVector(Vec3{7, 8, 9});
    light.setValueA(0.25f);
    light.setValueB(-0.5f);
    light.reset();
    expectVec(light.getPosition(), 0, 0, 0, "position");
    expectVec(light.getTarget(), 0, 0, 0, "target");
    EXPECT_EQ(light.getFlag(), 0);
    expectVec(light.getExtraVector(), 7, 8, 9, "extra vector");
    EXPECT_EQ(light.getValueA(), 0.25f);
    EXPECT_EQ(light.getValueB(), -0.5f);
}

}  // namespace
