// The web layer's arithmetic held against Mesa, which draws the desktop
// show: its matrices against Mesa's matrix stack and GLU, its mipmaps
// against gluBuild2DMipmaps, its line quads against Mesa's lines, its
// triangles cut at the near plane against Mesa's clipping, all in an
// OSMesa context. Only the layer's own pieces are used here, never its
// <GL/gl.h>: the OpenGL calls below are Mesa's.

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "offscreen/offscreen_context.h"
#include "gl11/line_quad.h"
#include "gl11/matrix4.h"
#include "gl11/near_clip.h"
#include "gl11/texture_image.h"

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

class MesaMatch : public testing::Test {
protected:
    static void SetUpTestSuite() { context_ = new OffscreenContext(kWidth, kHeight); }
    static void TearDownTestSuite() {
        delete context_;
        context_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(context_->ok()) << context_->error();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    static Matrix4 mesaMatrix(GLenum which) {
        std::array<float, 16> m;
        glGetFloatv(which, m.data());
        return Matrix4::fromColumns(m);
    }

    static OffscreenContext* context_;
};

OffscreenContext* MesaMatch::context_ = nullptr;

void expectSame(const Matrix4& ours, const Matrix4& mesa, const char* what) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(ours.data()[i], mesa.data()[i]) << what << ", element " << i;
}

TEST_F(MesaMatch, PerspectiveAsGluIncludingTheOpeningsUpsideDownLens) {
    for (double fovy : {190.0, 170.0, 150.0, 90.0, 70.0, 15.0 * -0.3 + 110.0}) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(fovy, 4.0 / 3.0, 1.0, 5000.0);
        Matrix4 ours;
        ours.perspective(fovy, 4.0 / 3.0, 1.0, 5000.0);
        expectSame(ours, mesaMatrix(GL_PROJECTION_MATRIX), "gluPerspective");
    }
    EXPECT_LT(mesaMatrix(GL_PROJECTION_MATRIX).at(1, 1), 2.0f);
    Matrix4 flipped;
    flipped.perspective(190.0, 4.0 / 3.0, 1.0, 5000.0);
    EXPECT_LT(flipped.at(1, 1), 0.0f) << "a lens wider than 180 degrees turns the picture over";
}

TEST_F(MesaMatch, LookAtAsGluForCameraFlights) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-400.0, 400.0);
    for (int i = 0; i < 50; ++i) {
        const double eye[3] = {coordinate(random), coordinate(random), coordinate(random)};
        const double centre[3] = {coordinate(random), coordinate(random), coordinate(random)};
        glLoadIdentity();
        gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0.0, 0.0, 1.0);
        Matrix4 ours;
        ours.lookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0.0, 0.0, 1.0);
        expectSame(ours, mesaMatrix(GL_MODELVIEW_MATRIX), "gluLookAt");
    }
}

TEST_F(MesaMatch, RotationsAndTranslationsAsMesasMatrixStack) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> angle(-3000.0f, 3000.0f);
    std::uniform_real_distribution<float> shift(-200.0f, 200.0f);
    Matrix4 ours;
    glLoadIdentity();
    gluPerspective(150.0, 4.0 / 3.0, 1.0, 5000.0);
    ours.perspective(150.0, 4.0 / 3.0, 1.0, 5000.0);
    for (int i = 0; i < 40; ++i) {
        const float t[3] = {shift(random), shift(random), shift(random)};
        glTranslatef(t[0], t[1], t[2]);
        ours.translate(t[0], t[1], t[2]);
        const float a = angle(random);
        const float axes[5][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, -1}, {0.3f, -0.5f, 0.8f}};
        const float* axis = axes[i % 5];
        glRotatef(a, axis[0], axis[1], axis[2]);
        ours.rotate(a, axis[0], axis[1], axis[2]);
        expectSame(ours, mesaMatrix(GL_MODELVIEW_MATRIX), "glTranslatef and glRotatef");
    }
}

std::vector<uint8_t> mesaLevel(int level, int& width, int& height) {
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
    std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

// Builds the same image both ways and compares every level texel by texel.
void expectMipmapsAsGlu(int components, int width, int height, GLenum format, const std::vector<uint8_t>& pixels,
                        int alignment, int tolerance) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE, pixels.data()), 0);
    TextureImage ours;
    ASSERT_EQ(ours.build(components, width, height, format, GL_UNSIGNED_BYTE, pixels.data(), alignment), 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (size_t level = 0; level < ours.levels().size(); ++level) {
        int w = 0, h = 0;
        const std::vector<uint8_t> mesa = mesaLevel(int(level), w, h);
        const TextureLevel& mine = ours.levels()[level];
        ASSERT_EQ(mine.width, w) << "level " << level;
        ASSERT_EQ(mine.height, h) << "level " << level;
        for (size_t i = 0; i < mesa.size(); ++i) {
            // Mesa reads luminance back as red alone; sampled, it is grey.
            const size_t source = components <= 2 && i % 4 != 3 ? i - i % 4 : i;
            ASSERT_NEAR(int(mine.rgba[i]), int(mesa[source]), tolerance)
                << "level " << level << " texel " << i / 4 << " component " << i % 4;
        }
    }
    int w = 0, h = 0;
    mesaLevel(int(ours.levels().size()), w, h);
    EXPECT_EQ(w, 0) << "Mesa has more levels than " << ours.levels().size();
    glDeleteTextures(1, &name);
}

std::vector<uint8_t> noise(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(n);
    for (uint8_t& b : bytes) b = uint8_t(random());
    return bytes;
}

TEST_F(MesaMatch, MipmapsAsGluBuild2DMipmapsForTheShowsTextures) {
    expectMipmapsAsGlu(3, 256, 256, GL_RGB, noise(256 * 256 * 3, 1), 1, 0);
    expectMipmapsAsGlu(3, 16, 2, GL_RGB, noise(16 * 2 * 3, 2), 1, 0);
    // The checker that stands in for a texture that cannot be read.
    expectMipmapsAsGlu(1, 2, 2, GL_LUMINANCE, {0, 255, 255, 0}, 1, 0);
    // An alpha image kept as luminance is black, as in Mesa.
    expectMipmapsAsGlu(1, 4, 4, GL_ALPHA, noise(16, 3), 1, 0);
    expectMipmapsAsGlu(4, 8, 4, GL_RGBA, noise(8 * 4 * 4, 4), 4, 0);
    expectMipmapsAsGlu(3, 2, 4, GL_RGB, noise(6 * 4, 5), 1, 0);
}

// Sides that are not powers of two are scaled first, to GLU's nearest
// power; shrunk, each texel is the average over its area, within a level
// of GLU's rounding. (GLU drops the last row when it shrinks only the
// width, 5x4 to 4x4: that is not copied.)
TEST_F(MesaMatch, MipmapsOfShrunkSidesWithinALevelOfGlu) {
    expectMipmapsAsGlu(3, 36, 17, GL_RGB, noise(36 * 17 * 3, 6), 1, 1);
    expectMipmapsAsGlu(1, 9, 5, GL_LUMINANCE, noise(9 * 5, 7), 1, 1);
}

// Mesa's lines and the layer's quads for the same lines, drawn in white on
// black: they differ at most in the pixel at each end.
TEST_F(MesaMatch, LineQuadsCoverWhatMesaLinesCover) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> coordinate(-3.0f, 3.0f);
    std::uniform_real_distribution<float> depth(-6.0f, 1.5f);
    Matrix4 projection;
    projection.perspective(150.0, 4.0 / 3.0, 1.0, 5000.0);
    const PixelBox viewport{0, 0, kWidth, kHeight};
    glDisable(GL_DEPTH_TEST);
    for (int i = 0; i < 40; ++i) {
        Vertex a{}, b{};
        for (int k = 0; k < 2; ++k) a.position[k] = coordinate(random), b.position[k] = coordinate(random);
        a.position[2] = depth(random);
        b.position[2] = depth(random);
        a.colour[0] = a.colour[1] = a.colour[2] = b.colour[0] = b.colour[1] = b.colour[2] = 1.0f;

        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(projection.data());
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBegin(GL_LINES);
            glVertex3fv(a.position);
            glVertex3fv(b.position);
        glEnd();
        glFinish();
        const std::vector<unsigned char> lines(context_->pixels(), context_->pixels() + kWidth * kHeight * 4);

        std::vector<Vertex> quad;
        appendLineQuad(a, b, projection, viewport, true, quad);
        glClear(GL_COLOR_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glBegin(GL_TRIANGLES);
            for (const Vertex& v : quad) glVertex3fv(v.position);
        glEnd();
        glFinish();
        int lit = 0, differing = 0;
        for (int p = 0; p < kWidth * kHeight; ++p) {
            lit += lines[size_t(4 * p)] != 0;
            differing += (lines[size_t(4 * p)] != 0) != (context_->pixels()[4 * p] != 0);
        }
        EXPECT_LE(differing, 2) << "line " << i << " (" << lit << " pixels from Mesa)";
    }
}

// Triangles with corners behind the eye, in its plane and in front, smooth
// colours at the corners: drawn whole by Mesa, which clips them, and drawn
// as the layer cuts them at the near plane, they cover the same pixels in
// the same colours, but for a rounding of Mesa's own along the cut.
TEST_F(MesaMatch, TrianglesCutAtTheNearPlaneDrawWhatMesaDraws) {
    std::mt19937 random(9);
    std::uniform_real_distribution<float> coordinate(-4.0f, 4.0f);
    std::uniform_real_distribution<float> depth(-8.0f, 3.0f);
    std::uniform_real_distribution<float> shade(0.0f, 1.0f);
    Matrix4 projection;
    projection.perspective(120.0, 4.0 / 3.0, 1.0, 5000.0);
    glDisable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection.data());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    int cut = 0;
    for (int i = 0; i < 60; ++i) {
        Vertex corners[3] = {};
        for (Vertex& v : corners) {
            for (int k = 0; k < 2; ++k) v.position[k] = coordinate(random);
            v.position[2] = depth(random);
            for (float& c : v.colour) c = shade(random);
        }
        // Every fourth triangle has a corner in the eye's plane, as the tunnel's first ring.
        if (i % 4 == 0) corners[0].position[2] = 0.0f;
        const auto draw = [](const Vertex* v, size_t n) {
            glClear(GL_COLOR_BUFFER_BIT);
            glBegin(GL_TRIANGLES);
                for (size_t k = 0; k < n; ++k) {
                    glColor3fv(v[k].colour);
                    glVertex3fv(v[k].position);
                }
            glEnd();
            glFinish();
            return std::vector<unsigned char>(context_->pixels(), context_->pixels() + kWidth * kHeight * 4);
        };
        const std::vector<unsigned char> whole = draw(corners, 3);
        std::vector<Vertex> pieces;
        appendNearClipped(corners, projection, false, pieces);
        cut += pieces.size() != 3;
        const std::vector<unsigned char> ours = draw(pieces.data(), pieces.size());
        // Alpha is 1 where a triangle was drawn, 0 where the clear shows.
        int lit = 0, coveredByOne = 0, worst = 0;
        for (size_t p = 0; p < whole.size(); p += 4) {
            lit += whole[p + 3] != 0;
            coveredByOne += whole[p + 3] != ours[p + 3];
            for (size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(whole[p + c]) - int(ours[p + c])));
        }
        EXPECT_EQ(coveredByOne, 0) << "triangle " << i << " (" << lit << " pixels from Mesa)";
        EXPECT_LE(worst, 1) << "triangle " << i << " (" << lit << " pixels from Mesa)";
    }
    EXPECT_GE(cut, 20) << "triangles that the plane cuts or drops";
}

}  // namespace
