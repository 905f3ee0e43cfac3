// Frames of the show drawn offscreen at the picture's size from the generated
// content.

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "offscreen/offscreen_context.h"
#include "shell/calm.h"
#include "shell/frame_schedule.h"
#include "shell/framing.h"
#include "shell/renderer.h"
#include "shell/show_runner.h"
#include "tests/show/show_test_support.h"
#include "tests/test_support.h"

namespace {

struct Picture {
    std::vector<unsigned char> rgba;
    std::vector<float> depth;

    size_t pixelCount() const { return depth.size(); }
    const unsigned char* at(size_t i) const { return rgba.data() + 4 * i; }
    bool black(size_t i) const { return at(i)[0] == 0 && at(i)[1] == 0 && at(i)[2] == 0; }
    bool drawn(size_t i) const { return depth[i] < 1.0f; }
    size_t countNonBlack() const {
        size_t n = 0;
        for (size_t i = 0; i < pixelCount(); ++i) n += black(i) ? 0 : 1;
        return n;
    }
};

Picture readPicture() {
    glFinish();
    Picture p;
    p.rgba.resize(size_t(kPictureWidth) * kPictureHeight * 4);
    p.depth.resize(size_t(kPictureWidth) * kPictureHeight);
    glReadPixels(0, 0, kPictureWidth, kPictureHeight, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
    glReadPixels(0, 0, kPictureWidth, kPictureHeight, GL_DEPTH_COMPONENT, GL_FLOAT, p.depth.data());
    return p;
}

// Fills the colour buffer with red, so that a frame that clears shows it.
void fillRed() {
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
}

class ShowFrames : public testing::Test {
protected:
    static void SetUpTestSuite() {
        context_ = new OffscreenContext(kPictureWidth, kPictureHeight);
        if (!context_->ok()) return;
        // Scene files and their textures are named relative to the show's directory.
        if (::chdir(SHOW_DATA_DIR) != 0) return;
        runner_ = new ShowRunner;
        testing::internal::CaptureStdout();
        failures_ = runner_->start();
        testing::internal::GetCapturedStdout();
    }

    static void TearDownTestSuite() {
        delete runner_;
        runner_ = nullptr;
        delete context_;
        context_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(context_->ok()) << context_->error();
        ASSERT_NE(runner_, nullptr) << "cannot enter the show's directory " << SHOW_DATA_DIR;
        ASSERT_TRUE(failures_.empty()) << failures_.front();
        // Each test starts from the show's start-up state, the ordinary show.
        runner_->reset();
        state().calm = false;
        runner_->reshape(kPictureWidth, kPictureHeight);
    }

    FrameResult draw(float t) { return runner_->drawAt(t); }
    ShellState& state() { return runner_->state(); }

    // The last face that a walk over scene draws: the colour it sets stays current.
    int lastFaceNumber(SceneId id) const {
        const Scene& scene = runner_->scenes().scene(id);
        int last = -1;
        for (int i = 0; i < scene.getMeshCount(); ++i) {
            const Mesh* mesh = scene.getMesh(i);
            if (mesh && mesh->getTriangleCount() > 0) last = mesh->getTriangleCount() - 1;
        }
        return last;
    }

    static OffscreenContext* context_;
    static ShowRunner* runner_;
    static std::vector<std::string> failures_;
};

OffscreenContext* ShowFrames::context_ = nullptr;
ShowRunner* ShowFrames::runner_ = nullptr;
std::vector<std::string> ShowFrames::failures_;

TEST_F(ShowFrames, FirstFrameAtZeroDrawsTheTexturedOpening) {
    fillRed();
    EXPECT_EQ(draw(0.0f), FrameResult::Drawn);
    EXPECT_EQ(state().frameCount, 1);
    EXPECT_EQ(state().fieldOfView, 190.0f);
    const Picture p = readPicture();
    size_t red = 0;
    size_t drawn = 0;
    for (size_t i = 0; i < p.pixelCount(); ++i) {
        red += (p.at(i)[0] == 255 && p.at(i)[1] == 0 && p.at(i)[2] == 0) ? 1 : 0;
        drawn += p.drawn(i) ? 1 : 0;
    }
    EXPECT_EQ(red, 0u) << "the frame clears the screen";
    EXPECT_GT(drawn, 0u) << "test.3ds shows in the opening";
    EXPECT_GT(p.countNonBlack(), 0u) << "the opening is textured in white light";
}

TEST_F(ShowFrames, RenderModesOneToThreeGiveABlackOpening) {
    for (int mode : {1, 2, 3}) {
        state().renderMode = mode;
        fillRed();
        EXPECT_EQ(draw(0.5f), FrameResult::Drawn) << "mode " << mode;
        EXPECT_EQ(readPicture().countNonBlack(), 0u) << "mode " << mode;
    }
    state().renderMode = 4;
    draw(0.5f);
    EXPECT_GT(readPicture().countNonBlack(), 0u) << "mode 4";
}

TEST_F(ShowFrames, OutlineFrameDrawsGreyShadesOnly) {
    draw(17.0f);
    const Picture p = readPicture();
    size_t lines = 0;
    for (size_t i = 0; i < p.pixelCount(); ++i) {
        if (p.black(i)) continue;
        const unsigned char* c = p.at(i);
        ASSERT_TRUE(c[0] == c[1] && c[1] == c[2]) << "pixel " << i << " is not grey";
        // Shades 32..123 as signed bytes are (2s + 1) / 255 of full intensity.
        ASSERT_GE(c[0], 64) << "pixel " << i;
        ASSERT_LE(c[0], 248) << "pixel " << i;
        ++lines;
    }
    EXPECT_GT(lines, 0u);
}

TEST_F(ShowFrames, BandedFrameHoldsBlackAndWhiteFaces) {
    draw(22.0f);
    const Picture p = readPicture();
    size_t black = 0;
    size_t white = 0;
    for (size_t i = 0; i < p.pixelCount(); ++i) {
        if (!p.drawn(i)) continue;
        const unsigned char* c = p.at(i);
        if (p.black(i)) {
            ++black;
        } else {
            ASSERT_TRUE(c[0] == 255 && c[1] == 255 && c[2] == 255)
                << "pixel " << i << " is (" << int(c[0]) << ", " << int(c[1]) << ", " << int(c[2]) << ")";
            ++white;
        }
    }
    EXPECT_GT(black, 0u) << "black faces";
    EXPECT_GT(white, 0u) << "white faces";
}

// The calm show's dimmed frames (shell/calm.h): outlines, stripes and
// textures alike draw no channel above the dim grey, where the ordinary
// show's frames at the same moments go far above it.
TEST_F(ShowFrames, CalmDimmedFramesDrawNothingBrighterThanTheDimGrey) {
    const int dimmest = int(calm::kDimGrey * 255.0f + 0.5f);
    using schedule::kOutlineMoments;
    using schedule::kSegment4StyleMoments;
    std::vector<double> moments(std::begin(kOutlineMoments), std::end(kOutlineMoments));
    moments.insert(moments.end(), std::begin(kSegment4StyleMoments), std::end(kSegment4StyleMoments));
    for (int segment = 1; segment <= kSegmentCount; ++segment)
        if (calm::dims(segment)) moments.push_back(schedule::kSegmentMoments[segment - 1]);
    for (double moment : moments) {
        const float t = float(moment);
        for (bool calmShow : {false, true}) {
            state().calm = calmShow;
            draw(t);
            const Picture p = readPicture();
            int brightest = 0;
            for (size_t i = 0; i < p.pixelCount(); ++i)
                for (int c = 0; c < 3; ++c) brightest = std::max(brightest, int(p.at(i)[c]));
            if (calmShow) {
                EXPECT_LE(brightest, dimmest) << "calm at " << t;
            } else {
                EXPECT_GT(brightest, 2 * dimmest) << "ordinary at " << t;
            }
        }
    }
}

TEST_F(ShowFrames, CameraFlightDrawsWhiteFaces) {
    fillRed();
    EXPECT_EQ(draw(6.0f), FrameResult::Drawn);
    const Picture p = readPicture();
    size_t white = 0;
    for (size_t i = 0; i < p.pixelCount(); ++i) {
        const unsigned char* c = p.at(i);
        ASSERT_TRUE(p.black(i) || (c[0] == 255 && c[1] == 255 && c[2] == 255)) << "pixel " << i;
        white += p.black(i) ? 0 : 1;
    }
    EXPECT_GT(white, 0u);
}

TEST_F(ShowFrames, FrameOnAWindowBoundLeavesTheBufferAlone) {
    for (float t : {5.0f, 72.0f}) {
        fillRed();
        EXPECT_EQ(draw(t), FrameResult::Skipped) << "t = " << t;
        const Picture p = readPicture();
        size_t red = 0;
        for (size_t i = 0; i < p.pixelCount(); ++i) red += (p.at(i)[0] == 255 && p.at(i)[1] == 0) ? 1 : 0;
        EXPECT_EQ(red, p.pixelCount()) << "t = " << t;
    }
    fillRed();
    EXPECT_EQ(draw(121.2f), FrameResult::Ended);
    EXPECT_EQ(readPicture().at(0)[0], 255) << "the end draws nothing";
}

TEST_F(ShowFrames, SegmentFiveLeavesItsTextureTranslationToLaterFrames) {
    draw(50.0f);
    float m[16];
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    EXPECT_EQ(m[12], 25.0f);
    EXPECT_EQ(m[13], 25.0f);
    EXPECT_EQ(m[14], 5.0f);
    // The opening and segment 4 do not touch the texture matrix.
    draw(1.0f);
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    EXPECT_EQ(m[12], 25.0f) << "after the opening";
    draw(55.0f);
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    EXPECT_EQ(m[12], 0.0f) << "segment 6 resets it";
    EXPECT_EQ(m[14], 0.0f) << "segment 6 resets it";
}

TEST_F(ShowFrames, TexturedFrameAfterSegmentFourIsModulatedByTheCarriedColour) {
    // The last frame of segment 4 leaves the colour of its last face.
    draw(43.2f);
    const int last = lastFaceNumber(SceneId::Test);
    ASSERT_GE(last, 0);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    const float expected = bandIsWhite(last) ? 1.0f : 0.0f;
    EXPECT_EQ(colour[0], expected) << "last face " << last;
    draw(50.0f);
    const Picture carried = readPicture();

    state().colour = CurrentGrey{};
    draw(50.0f);
    const Picture white = readPicture();
    ASSERT_GT(white.countNonBlack(), 0u);
    if (expected == 0.0f) {
        EXPECT_EQ(carried.countNonBlack(), 0u) << "a black last face leaves the textured segments black";
    } else {
        EXPECT_EQ(carried.rgba, white.rgba) << "a white last face leaves the textures as they are";
    }
}

TEST_F(ShowFrames, TexturedFrameIsModulatedByAGreyLeftByTheOutline) {
    state().colour = CurrentGrey{};
    draw(50.0f);
    const Picture white = readPicture();

    // An outline frame leaves the grey of its last face current.
    draw(20.0f);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    const int shade = shadeOfFace(state().shadeTable, lastFaceNumber(SceneId::Test));
    EXPECT_NEAR(colour[0], (2.0f * shade + 1.0f) / 255.0f, 1e-6f);
    draw(50.0f);
    const Picture grey = readPicture();

    size_t compared = 0;
    for (size_t i = 0; i < white.rgba.size(); i += 4) {
        if (white.rgba[i + 3] == 0 && white.black(i / 4)) continue;
        for (int c = 0; c < 3; ++c) {
            const double want = white.rgba[i + size_t(c)] * double(colour[0]);
            ASSERT_NEAR(double(grey.rgba[i + size_t(c)]), want, 2.0) << "pixel " << i / 4 << " channel " << c;
        }
        ++compared;
    }
    EXPECT_GT(compared, 0u);
}

TEST_F(ShowFrames, ReshapeWithAZeroSideChangesNothing) {
    runner_->reshape(320, 240);
    GLfloat before[16];
    glGetFloatv(GL_PROJECTION_MATRIX, before);
    runner_->reshape(100, 0);
    runner_->reshape(0, 100);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 320);
    EXPECT_EQ(viewport[3], 240);
    GLfloat after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], before[i]) << "projection element " << i;
    // 90 degrees vertically: the y scale is 1, the x scale 1 / (4/3).
    EXPECT_FLOAT_EQ(after[5], 1.0f);
    EXPECT_FLOAT_EQ(after[0], 0.75f);
}

// test2.3ds is drawn with the materials of test.3ds; here its mesh names a
// material of its own file that test.3ds does not have.
TEST_F(ShowFrames, MeshWhoseMaterialIsMissingIsDrawnUntextured) {
    TempDir dir;
    const std::string path = dir.file("strip.3ds");
    const std::vector<uint8_t> bytes = stripSceneBytes(10, "painted");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    std::fclose(file);
    auto strips = std::make_unique<SceneTable>();
    testing::internal::CaptureStdout();
    const bool loaded = strips->scene(SceneId::Test2).load(path.c_str());
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(loaded) << strips->scene(SceneId::Test2).getLoadError();
    ASSERT_EQ(strips->scene(SceneId::Test2).getMesh(0)->getMaterialIndex(), 0);
    ASSERT_EQ(strips->scene(SceneId::Test).getMaterial(0), nullptr);

    restoreCarriedState(state());
    const FramePlan plan = planFrame(state(), *strips, builtInTiming(), 45.0f);
    ASSERT_EQ(plan.segment, 5);
    drawPlan(plan, state(), *strips);
    const Picture p = readPicture();
    size_t white = 0;
    for (size_t i = 0; i < p.pixelCount(); ++i) {
        if (!p.drawn(i)) continue;
        const unsigned char* c = p.at(i);
        ASSERT_TRUE(c[0] == 255 && c[1] == 255 && c[2] == 255) << "pixel " << i;
        ++white;
    }
    EXPECT_GT(white, 0u) << "the strip is drawn in the current colour";
    GLboolean texturing = GL_TRUE;
    glGetBooleanv(GL_TEXTURE_2D, &texturing);
    EXPECT_EQ(texturing, GL_FALSE);
}

}  // namespace

namespace {

// The reference for what a frame leaves behind: the show played through
// OpenGL frame by frame, every frame drawn (into one pixel, which changes no
// state), with nothing restored from the plain values.
class ReplayedShow {
public:
    explicit ReplayedShow(const ShellState& start) : state_(start) {}

    void play(const SceneTable& scenes, float t) {
        ++state_.frameCount;
        const FramePlan plan = planFrame(state_, scenes, builtInTiming(), t);
        if (plan.ended || plan.segment == 0) return;
        glViewport(0, 0, 1, 1);
        drawPlan(plan, state_, scenes);
    }

    const ShellState& state() const { return state_; }

private:
    ShellState state_;
};

struct GlCarried {
    float colour[4];
    float texture[16];
};

GlCarried readCarried() {
    GlCarried carried;
    glGetFloatv(GL_CURRENT_COLOR, carried.colour);
    glGetFloatv(GL_TEXTURE_MATRIX, carried.texture);
    return carried;
}

}  // namespace

// Before every frame of the whole show, at both rates, the state that the
// runner computes without drawing is the state that drawing every frame
// leaves: in OpenGL (current colour, texture matrix) and in the shell state.
TEST_F(ShowFrames, PlayedStateEqualsTheReplayedStateBeforeEveryFrame) {
    for (int fps : {30, 60}) {
        runner_->reset();
        ReplayedShow replayed(state());
        // The reference starts from the OpenGL state of start-up.
        restoreCarriedState(state());
        const FrameSchedule schedule(builtInTiming(), fps, 0.0, -1.0);
        for (long k = 0; k < schedule.endFrame(); ++k) {
            const GlCarried drawn = readCarried();
            restoreCarriedState(state());
            const GlCarried played = readCarried();
            for (int i = 0; i < 4; ++i)
                ASSERT_EQ(played.colour[i], drawn.colour[i]) << fps << " fps, before frame " << k << ", colour " << i;
            for (int i = 0; i < 16; ++i)
                ASSERT_EQ(played.texture[i], drawn.texture[i])
                    << fps << " fps, before frame " << k << ", texture " << i;
            const ShellState& a = state();
            const ShellState& b = replayed.state();
            ASSERT_TRUE(a.rotationX == b.rotationX && a.rotationY == b.rotationY && a.rotationZ == b.rotationZ &&
                        a.fieldOfView == b.fieldOfView && a.frameCount == b.frameCount)
                << fps << " fps, before frame " << k;
            const float t = schedule.time(k);
            replayed.play(runner_->scenes(), t);
            runner_->playAt(t);
        }
    }
}

// A page that plays again, or seeks backwards, starts over from reset():
// the start-up state, and the first frame's picture.
TEST_F(ShowFrames, ResetReturnsToTheStartUpStateAndItsFirstFrame) {
    draw(0.0f);
    const Picture first = readPicture();
    state().renderMode = kRenderFlat;
    state().zoom = 3.0f;
    state().calm = true;
    ASSERT_EQ(addSyncMark(state().syncMarks, 5.0, builtInTiming().end()), MarkResult::Added);
    for (float t : {10.0f, 20.0f, 50.0f}) runner_->playAt(t);
    ASSERT_TRUE(state().textureMatrix.translated);
    ASSERT_TRUE(state().colour.isShade);

    runner_->reset();
    const ShellState& s = state();
    EXPECT_TRUE(s.calm) << "a viewer who chose the calm show keeps it";
    EXPECT_EQ(s.frameCount, 0);
    EXPECT_EQ(s.syncMarks.count, 0);
    EXPECT_EQ(s.renderMode, kRenderTexturemap);
    EXPECT_EQ(s.zoom, 0.0f);
    EXPECT_EQ(s.fieldOfView, 190.0f);
    EXPECT_EQ(s.rotationX, 0.0f);
    EXPECT_FALSE(s.textureMatrix.translated);
    EXPECT_FALSE(s.colour.isShade);
    EXPECT_EQ(s.colour.level, 1.0f);
    EXPECT_EQ(s.shadeTable[0], 73) << "the shade table stays filled";
    state().calm = false;
    draw(0.0f);
    EXPECT_EQ(readPicture().rgba, first.rgba);
}

// A late start plays the frames before it, but for the one just before the
// first written frame: a first frame on a window bound shows its picture.
// Reaching the first written frame draws that one frame before it.
TEST_F(ShowFrames, LateStartPlaysEveryFrameButTheTwoItDraws) {
    EXPECT_EQ(runner_->playUntilPictures(FrameSchedule(builtInTiming(), 30, 50.0, 50.0)), 1499);
    EXPECT_EQ(state().frameCount, 1499);
    EXPECT_EQ(state().demoTime, FrameSchedule(builtInTiming(), 30, 0.0, -1.0).time(1498));
    runner_->reset();
    EXPECT_EQ(runner_->playUntilPictures(FrameSchedule(builtInTiming(), 30, 0.0, 1.0)), 0);
    EXPECT_EQ(state().frameCount, 0);

    std::vector<float> drawn;
    const auto draw = [&drawn](float t) {
        drawn.push_back(t);
        return runner_->drawAt(t);
    };
    EXPECT_EQ(runner_->reachFirstWritten(FrameSchedule(builtInTiming(), 30, 50.0, 50.0), draw), 1500);
    EXPECT_EQ(drawn, std::vector<float>{FrameSchedule(builtInTiming(), 30, 0.0, -1.0).time(1499)});
    EXPECT_EQ(state().frameCount, 1500);
    runner_->reset();
    drawn.clear();
    EXPECT_EQ(runner_->reachFirstWritten(FrameSchedule(builtInTiming(), 30, 0.0, 1.0), draw), 0);
    EXPECT_EQ(drawn, std::vector<float>{});
}

// An author's seek replays the frames under the settings of now: rewind()
// forgets the frames played but keeps what the keys, the menu and END set.
TEST_F(ShowFrames, RewindKeepsTheSettingsAndMarksButNotTheFrames) {
    state().renderMode = kRenderFlat;
    state().autoRotate = 1;
    state().zoom = -2.0f;
    state().calm = true;
    ASSERT_EQ(addSyncMark(state().syncMarks, 12.5, builtInTiming().end()), MarkResult::Added);
    for (float t : {20.0f, 50.0f, 60.0f}) runner_->playAt(t);
    runner_->rewind();
    const ShellState& s = state();
    EXPECT_TRUE(s.calm);
    EXPECT_EQ(s.renderMode, kRenderFlat);
    EXPECT_EQ(s.autoRotate, 1);
    EXPECT_EQ(s.zoom, -2.0f);
    EXPECT_EQ(s.syncMarks.count, 1);
    EXPECT_EQ(s.syncMarks.times[0], 12.5f);
    EXPECT_EQ(s.frameCount, 0);
    EXPECT_EQ(s.fieldOfView, 190.0f);
    EXPECT_EQ(s.rotationX, 0.0f);
    EXPECT_FALSE(s.textureMatrix.translated);
    EXPECT_FALSE(s.colour.isShade);
}
