#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "geometry/camera.h"
#include "geometry/mesh.h"

namespace {

// SceneObject is only ever created as part of a scene item; a camera is the
// simplest one that adds nothing to naming.
constexpr char kUntouched = 'x';

struct Buffer {
    char bytes[32];
    Buffer() { std::memset(bytes, kUntouched, sizeof bytes); }
};

TEST(SceneObject, GetNameWithoutNameReturnsZeroAndLeavesBufferUntouched) {
    Camera object;
    Buffer buffer;
    EXPECT_EQ(object.getName(buffer.bytes, 32), 0);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(buffer.bytes[i], kUntouched) << "byte " << i;
}

TEST(SceneObject, GetNameCopiesNameAndOneTerminator) {
    Camera object;
    object.setName("Box12");
    Buffer buffer;
    EXPECT_EQ(object.getName(buffer.bytes, 32), 6);
    EXPECT_EQ(std::string(buffer.bytes, 5), "Box12");
    EXPECT_EQ(buffer.bytes[5], '\0');
    // Only nameSize bytes are written, not the whole capacity.
    for (int i = 6; i < 32; ++i) EXPECT_EQ(buffer.bytes[i], kUntouched) << "byte " << i;
}

TEST(SceneObject, GetNameWithSmallCapacityCopiesCapacityBytesUnterminated) {
    Camera object;
    object.setName("Box12");
    Buffer buffer;
    EXPECT_EQ(object.getName(buffer.bytes, 3), 3);
    EXPECT_EQ(std::string(buffer.bytes, 3), "Box");
    for (int i = 3; i < 32; ++i) EXPECT_EQ(buffer.bytes[i], kUntouched) << "byte " << i;
}

TEST(SceneObject, GetNameWithCapacityOfExactlyNameSizeIsTerminated) {
    Camera object;
    object.setName("Box12");
    Buffer buffer;
    EXPECT_EQ(object.getName(buffer.bytes, 6), 6);
    EXPECT_STREQ(buffer.bytes, "Box12");
}

TEST(SceneObject, GetNameWithZeroOrNegativeCapacityWritesNothing) {
    Camera object;
    object.setName("Box12");
    Buffer buffer;
    EXPECT_EQ(object.getName(buffer.bytes, 0), 0);
    EXPECT_EQ(object.getName(buffer.bytes, -5), 0);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(buffer.bytes[i], kUntouched) << "byte " << i;
}

TEST(SceneObject, EmptyNameHasSizeOne) {
    Camera object;
    object.setName("");
    Buffer buffer;
    EXPECT_EQ(object.getName(buffer.bytes, 32), 1);
    EXPECT_EQ(buffer.bytes[0], '\0');
    EXPECT_EQ(buffer.bytes[1], kUntouched);
}

TEST(SceneObject, SetNameReplacesTheEarlierName) {
    Camera object;
    object.setName("A much longer first name");
    object.setName("ab");
    Buffer buffer;
    EXPECT_EQ(object.getName(buffer.bytes, 32), 3);
    EXPECT_STREQ(buffer.bytes, "ab");
}

TEST(SceneObject, SetNameCopiesTheText) {
    char text[] = "Camera01";
    Camera object;
    object.setName(text);
    text[0] = 'Z';
    Buffer buffer;
    object.getName(buffer.bytes, 32);
    EXPECT_STREQ(buffer.bytes, "Camera01");
}

TEST(SceneObject, MeshMaterialNameFollowsTheNameRules) {
    Mesh mesh;
    Buffer untouched;
    EXPECT_EQ(mesh.getMaterialName(untouched.bytes, 32), 0);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(untouched.bytes[i], kUntouched) << "byte " << i;

    mesh.setMaterialName("WOOD");
    Buffer full;
    EXPECT_EQ(mesh.getMaterialName(full.bytes, 32), 5);
    EXPECT_STREQ(full.bytes, "WOOD");
    EXPECT_EQ(full.bytes[5], kUntouched);

    Buffer cut;
    EXPECT_EQ(mesh.getMaterialName(cut.bytes, 2), 2);
    EXPECT_EQ(std::string(cut.bytes, 2), "WO");
    EXPECT_EQ(cut.bytes[2], kUntouched);

    // The material name is separate from the object's own name.
    Buffer name;
    EXPECT_EQ(mesh.getName(name.bytes, 32), 0);
}

}  // namespace
