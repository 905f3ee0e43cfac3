// The OpenGL 1.1 layer's state and batching, through the free functions of
// its own <GL/gl.h>, on a device that records what it is asked to do.

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "gl11/gl11_calls.h"
#include "gl11/gl11_context.h"

namespace {

class RecordingDevice : public DrawDevice {
public:
    struct Draw {
        std::vector<Vertex> vertices;
        std::vector<DrawBatch> batches;
    };

    void viewport(int, int, int, int) override { calls.push_back("viewport"); }
    void clear(uint32_t, const float*) override { calls.push_back("clear"); }
    uint32_t createTexture() override { return ++lastTexture; }
    void deleteTexture(uint32_t texture) override { calls.push_back("delete " + std::to_string(texture)); }
    void uploadTexture(uint32_t texture, const std::vector<TextureLevel>& levels) override {
        calls.push_back("upload " + std::to_string(texture));
        uploaded = levels;
    }
    void textureParameter(uint32_t, uint32_t, int) override {}
    void draw(const std::vector<Vertex>& vertices, const std::vector<DrawBatch>& batches) override {
        calls.push_back("draw");
        draws.push_back(Draw{vertices, batches});
    }
    void submit() override {}
    void finish() override { calls.push_back("finish"); }

    std::vector<std::string> calls;
    std::vector<Draw> draws;
    std::vector<TextureLevel> uploaded;
    uint32_t lastTexture = 100;
};

class Gl11 : public testing::Test {
protected:
    Gl11() : context(device) {
        context.setErrorReporter([this](const std::string& text) { reported.push_back(text); });
        makeGl11ContextCurrent(&context);
        glViewport(0, 0, 640, 480);
    }
    ~Gl11() override { makeGl11ContextCurrent(nullptr); }

    // At z = 0.5 it lies in front of the near plane (z = -w) of the
    // identity projection, and still after a step of 1 away from the eye.
    void triangle(float x) {
        glBegin(GL_TRIANGLES);
            glVertex3f(x, 0.0f, 0.5f);
            glVertex3f(x + 1.0f, 0.0f, 0.5f);
            glVertex3f(x, 1.0f, 0.5f);
        glEnd();
    }

    // A 1x1 RGB texture, bound.
    GLuint texture() {
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        const unsigned char red[3] = {255, 0, 0};
        EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, red), 0);
        return name;
    }

    RecordingDevice device;
    Gl11Context context;
    std::vector<std::string> reported;
};

TEST_F(Gl11, ThousandsOfOneTriangleBeginEndPairsBecomeOneDraw) {
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_FLAT);
    for (int i = 0; i < 2000; ++i) {
        glColor3f(float(i % 2), 0.5f, 0.0f);
        triangle(float(i));
    }
    glFinish();
    ASSERT_EQ(device.draws.size(), 1u);
    ASSERT_EQ(device.draws[0].batches.size(), 1u);
    const DrawBatch& batch = device.draws[0].batches[0];
    EXPECT_EQ(batch.first, 0);
    EXPECT_EQ(batch.count, 6000);
    EXPECT_TRUE(batch.depthTest);
    EXPECT_TRUE(batch.flat);
    EXPECT_EQ(batch.primitive, Primitive::Triangles);
    // Each vertex keeps the colour that was current when it was given.
    EXPECT_EQ(device.draws[0].vertices[3].colour[0], 1.0f);
    EXPECT_EQ(device.draws[0].vertices[6].colour[0], 0.0f);
    EXPECT_EQ(device.draws[0].vertices[5999].position[0], 1999.0f);
    EXPECT_EQ(device.calls.back(), "finish");
}

TEST_F(Gl11, ATextureOrStateChangeStartsANewBatchInOrder) {
    const GLuint name = texture();
    triangle(0.0f);
    glEnable(GL_TEXTURE_2D);
    triangle(1.0f);
    triangle(2.0f);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0.0f, 0.0f, -1.0f);
    triangle(3.0f);
    glFinish();
    ASSERT_EQ(device.draws.size(), 1u);
    const std::vector<DrawBatch>& b = device.draws[0].batches;
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0].texture, 0u);
    EXPECT_EQ(b[1].texture, device.lastTexture) << "texture " << name;
    EXPECT_EQ(b[1].count, 6);
    EXPECT_EQ(b[2].texture, 0u);
    EXPECT_EQ(b[0].transform, Matrix4());
    EXPECT_EQ(b[2].transform.at(2, 3), -1.0f);
}

// A name that was never generated is bound by Material without a texture:
// OpenGL 1.1 then draws the faces untextured, in their colour.
TEST_F(Gl11, ABoundTextureWithoutImageLeavesTexturingOff) {
    glBindTexture(GL_TEXTURE_2D, 0xFFFFFFFFu);
    glEnable(GL_TEXTURE_2D);
    triangle(0.0f);
    glFinish();
    ASSERT_EQ(device.draws.size(), 1u);
    EXPECT_EQ(device.draws[0].batches[0].texture, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Gl11, ClearDrawsWhatWasGatheredFirst) {
    triangle(0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    triangle(1.0f);
    glViewport(0, 0, 1, 1);
    const std::vector<std::string> expected = {"viewport", "draw", "clear", "draw", "viewport"};
    EXPECT_EQ(device.calls, expected);
}

// The outline style draws each face as an open strip: edges 0-1 and 1-2,
// never 2-0, each a quad of two triangles.
TEST_F(Gl11, ALineStripIsDrawnAsItsSegmentsAndStaysOpen) {
    glMatrixMode(GL_PROJECTION);
    gluPerspective(90.0, 4.0 / 3.0, 1.0, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    glBegin(GL_LINE_STRIP);
        glVertex3f(-1.0f, 0.0f, -2.0f);
        glVertex3f(1.0f, 0.0f, -2.0f);
        glVertex3f(1.0f, 1.0f, -2.0f);
    glEnd();
    glFinish();
    ASSERT_EQ(device.draws.size(), 1u);
    const std::vector<Vertex>& v = device.draws[0].vertices;
    ASSERT_EQ(v.size(), 12u);
    EXPECT_EQ(device.draws[0].batches[0].transform, Matrix4());
    // First segment, x-major from x = 200 to 440 on y = 240: half a pixel above and below.
    EXPECT_FLOAT_EQ(v[0].position[0], -0.375f);
    EXPECT_FLOAT_EQ(v[1].position[0], 0.375f);
    EXPECT_NEAR(v[0].position[1], -0.5f / 240.0f, 1e-7f);
    EXPECT_NEAR(v[2].position[1], 0.5f / 240.0f, 1e-7f);
    // Second, y-major up the right side at x = 440: no edge back to the start.
    for (int i = 6; i < 12; ++i) EXPECT_NEAR(v[size_t(i)].position[0], 0.375f, 0.5f / 320.0f + 1e-6f) << i;
}

// Two faces that share an edge draw it in opposite directions: the quads
// must be equal to the bit, so that the second loses the depth test as in
// Mesa, while each keeps its own flat colour, the last vertex's.
TEST_F(Gl11, ASharedEdgeGivesTheSameQuadBothWays) {
    glMatrixMode(GL_PROJECTION);
    gluPerspective(150.0, 4.0 / 3.0, 1.0, 5000.0);
    glShadeModel(GL_FLAT);
    const float p[2][3] = {{-1.3f, 0.2f, -3.1f}, {0.7f, -0.4f, -2.2f}};
    for (int turn = 0; turn < 2; ++turn) {
        glBegin(GL_LINE_STRIP);
            glColor3f(0.25f, 0.25f, 0.25f);
            glVertex3fv(p[turn]);
            glColor3f(float(turn + 1) / 2.0f, 0.0f, 0.0f);
            glVertex3fv(p[1 - turn]);
        glEnd();
    }
    glFinish();
    const std::vector<Vertex>& v = device.draws[0].vertices;
    ASSERT_EQ(v.size(), 12u);
    for (size_t i = 0; i < 6; ++i) {
        for (int k = 0; k < 3; ++k) EXPECT_EQ(v[i].position[k], v[i + 6].position[k]) << "vertex " << i;
        EXPECT_EQ(v[i].colour[0], 0.5f);
        EXPECT_EQ(v[i + 6].colour[0], 1.0f);
    }
}

TEST_F(Gl11, ALineBehindTheEyeIsClippedAway) {
    glMatrixMode(GL_PROJECTION);
    gluPerspective(90.0, 4.0 / 3.0, 1.0, 5000.0);
    glBegin(GL_LINE_STRIP);
        glVertex3f(-1.0f, 0.0f, 2.0f);
        glVertex3f(1.0f, 0.0f, 2.0f);
    glEnd();
    glBegin(GL_LINE_STRIP);
        glVertex3f(-1.0f, 0.0f, 2.0f);
        glVertex3f(1.0f, 0.5f, -2.0f);
    glEnd();
    glFinish();
    ASSERT_EQ(device.draws.size(), 1u);
    const std::vector<Vertex>& v = device.draws[0].vertices;
    ASSERT_EQ(v.size(), 6u) << "only the line that enters the view";
    for (const Vertex& vertex : v) EXPECT_NEAR(vertex.position[2], 0.0f, 1.0f + 1e-5f);
}

// Triangles meet the near plane (z = -w, here 1 in front of the eye) as the
// tunnel's first ring does, a corner in the eye's own plane. The part in
// front comes out as a fan from the first new corner; texture coordinates
// and smooth colours follow along each cut edge; a flat triangle keeps its
// last corner's colour everywhere. (Against Mesa's clipping, triangles
// wholly behind or in front included: mesa_match_test.cpp.)
class NearPlane : public Gl11 {
protected:
    NearPlane() {
        glMatrixMode(GL_PROJECTION);
        gluPerspective(90.0, 4.0 / 3.0, 1.0, 5000.0);
        glMatrixMode(GL_MODELVIEW);
    }

    // A corner in the eye's plane and two 3 in front: the plane cuts its
    // edges from the eye a third of the way in.
    void throughTheEye() {
        const float mapping[3][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}};
        glBegin(GL_TRIANGLES);
            glColor3f(0.0f, 0.0f, 0.0f);
            glTexCoord2fv(mapping[0]);
            glVertex3f(0.0f, 0.0f, 0.0f);
            glColor3f(1.0f, 0.0f, 0.0f);
            glTexCoord2fv(mapping[1]);
            glVertex3f(2.0f, 0.0f, -3.0f);
            glColor3f(0.0f, 1.0f, 0.0f);
            glTexCoord2fv(mapping[2]);
            glVertex3f(0.0f, 2.0f, -3.0f);
        glEnd();
    }

    const std::vector<Vertex>& drawn() {
        glFinish();
        static const std::vector<Vertex> none;
        return device.draws.empty() ? none : device.draws[0].vertices;
    }
};

void expectCorner(const Vertex& v, std::array<float, 3> position, std::array<float, 2> texCoord,
                  std::array<float, 3> colour, const std::string& which) {
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(v.position[i], position[size_t(i)], 1e-6f) << which << " position " << i;
    for (int i = 0; i < 2; ++i) EXPECT_NEAR(v.texCoord[i], texCoord[size_t(i)], 1e-6f) << which << " texture " << i;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(v.colour[i], colour[size_t(i)], 1e-6f) << which << " colour " << i;
}

TEST_F(NearPlane, ATriangleThroughTheEyesPlaneIsCutWhereItMeetsThePlane) {
    glShadeModel(GL_SMOOTH);
    throughTheEye();
    const std::vector<Vertex>& v = drawn();
    ASSERT_EQ(v.size(), 6u);
    const float third = 1.0f / 3.0f, twoThirds = 2.0f / 3.0f;
    expectCorner(v[0], {twoThirds, 0.0f, -1.0f}, {third, 0.0f}, {third, 0.0f, 0.0f}, "cut of the first edge");
    expectCorner(v[1], {2.0f, 0.0f, -3.0f}, {1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, "second corner");
    expectCorner(v[2], {0.0f, 2.0f, -3.0f}, {0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}, "third corner");
    expectCorner(v[3], {twoThirds, 0.0f, -1.0f}, {third, 0.0f}, {third, 0.0f, 0.0f}, "fan's first corner");
    expectCorner(v[4], {0.0f, 2.0f, -3.0f}, {0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}, "fan's third corner");
    expectCorner(v[5], {0.0f, twoThirds, -1.0f}, {0.0f, third}, {0.0f, third, 0.0f}, "cut of the last edge");
}

TEST_F(NearPlane, AFlatTriangleCutAtThePlaneKeepsItsLastCornersColour) {
    glShadeModel(GL_FLAT);
    throughTheEye();
    const std::vector<Vertex>& v = drawn();
    ASSERT_EQ(v.size(), 6u);
    for (size_t i = 0; i < v.size(); ++i) {
        EXPECT_EQ(v[i].colour[0], 0.0f) << "corner " << i;
        EXPECT_EQ(v[i].colour[1], 1.0f) << "corner " << i;
    }
}

// Faces on either side of an edge that the plane cuts walk it in opposite
// directions; the cut is the same point to the bit in both, so no pixel
// falls between them.
TEST_F(NearPlane, TwoTrianglesMeetAtTheSameCutOfTheirSharedEdge) {
    const float eye[3] = {0.3f, -0.7f, 0.1f};
    const float ahead[3] = {-1.7f, 2.9f, -7.3f};
    glBegin(GL_TRIANGLES);
        glVertex3fv(eye);
        glVertex3fv(ahead);
        glVertex3f(3.1f, 1.3f, -4.7f);
        glVertex3fv(ahead);
        glVertex3fv(eye);
        glVertex3f(-2.3f, -1.9f, -5.9f);
    glEnd();
    const std::vector<Vertex>& v = drawn();
    ASSERT_EQ(v.size(), 12u);
    // The first triangle's fan starts at the cut; the second's is its
    // second corner, after the corner ahead.
    const Vertex& first = v[0];
    const Vertex& second = v[7];
    for (int k = 0; k < 3; ++k) EXPECT_EQ(first.position[k], second.position[k]) << "coordinate " << k;
    EXPECT_NEAR(first.position[2], -1.0f, 1e-6f) << "on the near plane";
}

TEST_F(Gl11, ByteColoursAreShareOf127AndClampToZeroAndOne) {
    glColor3b(127, 64, -128);
    triangle(0.0f);
    glColor3f(2.0f, -1.0f, 0.25f);
    triangle(1.0f);
    glFinish();
    const std::vector<Vertex>& v = device.draws[0].vertices;
    EXPECT_EQ(v[0].colour[0], 1.0f);
    EXPECT_EQ(v[0].colour[1], 64.0f / 127.0f);
    EXPECT_EQ(v[0].colour[2], 0.0f);
    EXPECT_EQ(v[3].colour[0], 1.0f);
    EXPECT_EQ(v[3].colour[1], 0.0f);
    EXPECT_EQ(v[3].colour[2], 0.25f);
}

// Segment 5 translates the texture matrix; later frames keep it until a
// segment resets it.
TEST_F(Gl11, TheTextureMatrixOutlivesClearsAndFrames) {
    glMatrixMode(GL_TEXTURE);
    glTranslatef(0.5f, -2.0f, 5.0f);
    glMatrixMode(GL_MODELVIEW);
    for (int frame = 0; frame < 2; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        triangle(0.0f);
        glFinish();
    }
    ASSERT_EQ(device.draws.size(), 2u);
    for (const RecordingDevice::Draw& d : device.draws) {
        EXPECT_EQ(d.batches[0].textureMatrix.at(0, 3), 0.5f);
        EXPECT_EQ(d.batches[0].textureMatrix.at(1, 3), -2.0f);
    }
}

TEST_F(Gl11, UnpackAlignmentIsKeptAndReadBack) {
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
    // 3 RGB texels a row: 9 bytes, padded to 12 at alignment 4.
    const unsigned char rows[24] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 3, 2, GL_RGB, GL_UNSIGNED_BYTE, rows), 0);
    // 3 wide is scaled to GLU's nearest power, 4; its first and last texels are the row's ends.
    ASSERT_EQ(device.uploaded[0].width, 4);
    EXPECT_EQ(device.uploaded[0].rgba[4 * 4 + 0], 10);
    EXPECT_EQ(device.uploaded[0].rgba[7 * 4 + 2], 18);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1);
}

TEST_F(Gl11, DeletingATextureUnbindsIt) {
    const GLuint name = texture();
    glEnable(GL_TEXTURE_2D);
    glDeleteTextures(1, &name);
    triangle(0.0f);
    glFinish();
    EXPECT_EQ(device.calls[2], "delete " + std::to_string(device.lastTexture));
    EXPECT_EQ(device.draws[0].batches[0].texture, 0u);
}

TEST_F(Gl11, RefusedCallsSetTheFirstErrorAndAreReported) {
    glEnable(0x0B50);  // GL_LIGHTING is not offered
    glMatrixMode(0x1234);
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glBegin(GL_TRIANGLES);
        glLoadIdentity();
        glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION));
    glEnd();
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION));
    const std::vector<std::string> expected = {"GL_INVALID_ENUM in glEnable", "GL_INVALID_ENUM in glMatrixMode",
                                               "GL_INVALID_OPERATION in glLoadIdentity",
                                               "GL_INVALID_OPERATION in glEnd"};
    EXPECT_EQ(reported, expected);
    EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 5, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, "abc"), GLU_INVALID_VALUE);
    EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 1, 1, 0x1900, GL_UNSIGNED_BYTE, "abc"), GLU_INVALID_ENUM);
}

TEST(Gl11WithoutContext, CallsDoNothing) {
    makeGl11ContextCurrent(nullptr);
    glBegin(GL_TRIANGLES);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glEnd();
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION));
    EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, "abc"), GLU_INVALID_OPERATION);
}

}  // namespace
