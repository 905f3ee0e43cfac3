#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>

#include "animation/interpolation.h"
#include "animation/track.h"

namespace {

struct TestKey {
    int frame;
    Vec3 value;
    float tension = 0.5f;
    float continuity = 0.5f;
    float bias = 0.5f;
};

void fill(Track& track, const std::vector<TestKey>& keys) {
    for (const TestKey& k : keys) {
        track.appendKey();
        Key& key = *track.getKey(track.getKeyCount() - 1);
        key.frame = k.frame;
        key.value = k.value;
        key.spline.setTension(k.tension);
        key.spline.setContinuity(k.continuity);
        key.spline.setBias(k.bias);
    }
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectVec(Vec3 actual, Vec3 expected, const char* what) {
    EXPECT_EQ(actual.x, expected.x) << what << ": x";
    EXPECT_EQ(actual.y, expected.y) << what << ": y";
    EXPECT_EQ(actual.z, expected.z) << what << ": z";
}

const float kParameters[] = {-2.5f, -0.5f, -1e-40f, 0.0f,  1e-40f, 0.1f,  0.25f, 0.3f,
                             0.5f,  0.7f,  0.75f,   0.99f, 1.0f,   1.25f, 3.0f};

TEST(Ease, ZeroEasesReturnTheParameterBitForBit) {
    for (float u : kParameters) EXPECT_TRUE(sameBits(ease(u, 0.0f, 0.0f), u)) << "u " << u << " gave " << ease(u, 0, 0);
    // Eases that cancel out sum to exactly 0 as well.
    EXPECT_TRUE(sameBits(ease(0.3f, 0.25f, -0.25f), 0.3f));
}

TEST(Ease, HalfAndHalfAtTheMiddleIsOneHalf) { EXPECT_EQ(ease(0.5f, 0.5f, 0.5f), 0.5f); }

TEST(Ease, EasesSummingAboveOneAreScaledToSumOne) {
    for (float u : kParameters) {
        EXPECT_TRUE(sameBits(ease(u, 1.0f, 1.0f), ease(u, 0.5f, 0.5f)))
            << "u " << u << ": ease(u,1,1) " << ease(u, 1, 1) << ", ease(u,0.5,0.5) " << ease(u, 0.5f, 0.5f);
    }
    // Scaled to 0.5 and 0.5, k = 1 / (2 - 0.5 - 0.5) = 1: the curve is 2 u^2
    // below u = 0.5 and 1 - 2 (1 - u)^2 from there on, for u in kParameters.
    constexpr double expected[] = {12.5, 0.5,  0.0,   0.0,    0.0, 0.02,  0.125, 0.18,
                                   0.5,  0.82, 0.875, 0.9998, 1.0, 0.875, -7.0};
    static_assert(std::size(expected) == std::size(kParameters), "one value for each parameter");
    for (size_t i = 0; i < std::size(kParameters); ++i)
        EXPECT_NEAR(ease(kParameters[i], 1.0f, 1.0f), expected[i], 1e-6) << "u " << kParameters[i];
}

TEST(Ease, ParameterBelowEaseFromFollowsTheQuadratic) {
    // (1 / 1.5) / 0.5 * 0.25 * 0.25 = 1 / 12.
    EXPECT_NEAR(ease(0.25f, 0.5f, 0.0f), 1.0 / 12.0, 1e-7);
    // Past 1 - ease_to the curve closes on 1: 1 - (1 / 1.5) / 0.5 * 0.25 * 0.25.
    EXPECT_NEAR(ease(0.75f, 0.0f, 0.5f), 1.0 - 1.0 / 12.0, 1e-7);
    // In between it is the straight line (2u - a) / (2 - a - b).
    EXPECT_NEAR(ease(0.5f, 0.25f, 0.25f), 0.75 / 1.5, 1e-7);
}

TEST(Ease, StaysFiniteWhereAnOuterCurveWouldDivideByZero) {
    struct Case {
        float u, a, b, expected;
    };
    // The straight line (2u - a) / (2 - a - b) stands in for the outer curve.
    const Case cases[] = {
        {-0.5f, 0.0f, 0.5f, float(-1.0 / 1.5)},  // u < a = 0
        {-3.0f, 0.0f, 1.0f, -6.0f},              // u < a = 0, b alone scaled to 1
        {1.0f, 0.5f, 0.0f, 1.0f},                // u = 1 - b with b = 0
        {1.5f, 0.5f, 0.0f, float(2.5 / 1.5)},    // u > 1 with b = 0
    };
    for (const Case& c : cases) {
        float e = ease(c.u, c.a, c.b);
        EXPECT_TRUE(std::isfinite(e)) << "ease(" << c.u << ", " << c.a << ", " << c.b << ") = " << e;
        EXPECT_NEAR(e, c.expected, 1e-6) << "ease(" << c.u << ", " << c.a << ", " << c.b << ")";
    }
    // An ease so small that the quadratic overflows.
    EXPECT_TRUE(std::isfinite(ease(-1e9f, 1e-38f, 0.0f)));
}

TEST(FindSegment, ThreeKeysPickTheSegmentHoldingTheFrame) {
    Track track;
    fill(track, {{0, {}}, {10, {}}, {20, {}}});
    EXPECT_EQ(track.findSegment(5), 0.5f);
    EXPECT_EQ(track.getSegment(), 0);
    EXPECT_EQ(track.findSegment(10), 0.0f);
    EXPECT_EQ(track.getSegment(), 1);
    EXPECT_EQ(track.findSegment(25), 1.0f);
    EXPECT_EQ(track.getSegment(), 1);
}

TEST(FindSegment, LastKeyFrameKeepsThePreviousSegment) {
    Track track;
    fill(track, {{0, {}}, {10, {}}, {20, {}}});
    EXPECT_EQ(track.findSegment(15), 0.5f);
    EXPECT_EQ(track.findSegment(20), 1.0f);
    EXPECT_EQ(track.getSegment(), 1);
    // After a frame of the first segment the same frame extrapolates that segment.
    EXPECT_EQ(track.findSegment(5), 0.5f);
    EXPECT_EQ(track.findSegment(20), 2.0f);
    EXPECT_EQ(track.getSegment(), 0);
    // So does a frame before the first key.
    EXPECT_EQ(track.findSegment(-5), -0.5f);
    EXPECT_EQ(track.getSegment(), 0);
}

TEST(FindSegment, TwoKeysClampAfterTheLastKeyOnly) {
    Track track;
    fill(track, {{0, {}}, {10, {}}});
    EXPECT_EQ(track.findSegment(15), 1.0f);
    EXPECT_EQ(track.getSegment(), 0);
    EXPECT_EQ(track.findSegment(-5), -0.5f);
    EXPECT_EQ(track.findSegment(10), 1.0f);
}

TEST(FindSegment, OneKeyHasNoSegment) {
    Track track;
    fill(track, {{7, {}}});
    for (int frame : {-5, 7, 100}) {
        EXPECT_EQ(track.findSegment(frame), 1.0f) << "frame " << frame;
        EXPECT_EQ(track.getSegment(), -1) << "frame " << frame;
    }
}

TEST(FindSegment, NoKeysGiveMinusOneAndKeepTheSegment) {
    Track track;
    EXPECT_EQ(track.findSegment(3), -1.0f);
    EXPECT_EQ(track.getSegment(), -1);
}

TEST(FindSegment, KeysSharingAFrameGiveAFiniteParameter) {
    Track two;
    fill(two, {{10, {}}, {10, {}}});
    EXPECT_EQ(two.findSegment(10), 1.0f);
    EXPECT_EQ(two.findSegment(5), 0.0f);

    Track three;
    fill(three, {{0, {}}, {10, {}}, {10, {}}});
    EXPECT_EQ(three.findSegment(12), 1.0f);
    EXPECT_EQ(three.getSegment(), 1);
    // Frame 10 holds no segment, so the zero-length last one is kept.
    EXPECT_EQ(three.findSegment(10), 1.0f);
}

TEST(FindSegment, FramesFarApartDoNotOverflow) {
    Track track;
    fill(track, {{-2000000000, {}}, {2000000000, {}}});
    EXPECT_EQ(track.findSegment(0), 0.5f);
    EXPECT_EQ(track.findSegment(INT_MIN), float(-147483648.0 / 4e9));
}

// Four keys whose differences are the unit axes: the tangent's components
// are then the two weights themselves.
std::vector<TestKey> axisKeys(float t, float c, float b) {
    return {{0, {0, 0, 0}, t, c, b}, {10, {1, 0, 0}, t, c, b}, {20, {1, 1, 0}, t, c, b}, {30, {1, 1, 1}, t, c, b}};
}

TEST(ComputeTangent, InitialParametersGiveTheQuarterWeights) {
    Track track;
    fill(track, axisKeys(0.5f, 0.5f, 0.5f));
    expectVec(track.computeTangent(0, 1), {0.1875f, 0.1875f, 0.0f}, "side 0 at key 1 (W1, W2)");
    expectVec(track.computeTangent(1, 1), {0.0f, 0.5625f, 0.0625f}, "side 1 at key 1 (W3, W4)");
}

TEST(ComputeTangent, WeightsAreFormedInDoubleAndRoundedOnce) {
    // With these parameters every weight formed in float differs in its last bit.
    const float t = 0.2f, c = 0.1f, b = 0.6f;
    Track track;
    fill(track, axisKeys(t, c, b));
    const double T = t, C = c, B = b;
    const float w1 = float((1.0 - T) * (1.0 - C) * (1.0 + B) / 2.0);
    const float w2 = float((1.0 - T) * (1.0 + C) * (1.0 - B) / 2.0);
    const float w3 = float((1.0 - T) * (1.0 + C) * (1.0 + B) / 2.0);
    const float w4 = float((1.0 - T) * (1.0 - C) * (1.0 - B) / 2.0);
    expectVec(track.computeTangent(0, 1), {w1, w2, 0.0f}, "side 0 at key 1");
    expectVec(track.computeTangent(1, 1), {0.0f, w3, w4}, "side 1 at key 1");
}

TEST(ComputeTangent, ZeroParametersGiveCentralDifferences) {
    Track track;
    fill(track,
         {{0, {0, 0, 0}, 0, 0, 0}, {10, {2, 4, 8}, 0, 0, 0}, {20, {6, 2, 0}, 0, 0, 0}, {30, {10, 10, 10}, 0, 0, 0}});
    expectVec(track.computeTangent(0, 1), {3, 1, 0}, "side 0 at key 1: (P2 - P0) / 2");
    expectVec(track.computeTangent(1, 1), {4, 3, 1}, "side 1 at key 1: (P3 - P1) / 2");
}

TEST(ComputeTangent, EndKeysOfATwoKeyTrackUseTheirOwnTension) {
    Track track;
    fill(track, {{0, {1, 2, 3}, 0.25f}, {10, {5, 10, -5}, 0.75f}});
    for (int side : {0, 1}) {
        expectVec(track.computeTangent(side, 0), {3, 6, -6}, "first key: 0.75 (P1 - P0)");
        expectVec(track.computeTangent(side, 1), {1, 2, -2}, "last key: 0.25 (P1 - P0)");
    }
}

TEST(ComputeTangent, EndKeysOfALongerTrackAreOneAndAHalfTimesTheirSegment) {
    Track track;
    fill(track, {{0, {0, 0, 0}, 0.5f}, {10, {2, 4, 8}}, {20, {6, 2, 0}}, {30, {10, 14, 20}, 0.0f}});
    for (int side : {0, 1}) {
        expectVec(track.computeTangent(side, 0), {1.5f, 3, 6}, "first key: 1.5 * 0.5 * (P1 - P0)");
        expectVec(track.computeTangent(side, 3), {6, 18, 30}, "last key: 1.5 * 1 * (P3 - P2)");
    }
}

TEST(Hermite, EndpointsIgnoreTheTangents) {
    const Vec3 p0{1, -2, 3}, p1{-4, 5.5f, 6}, t0{100, -200, 300}, t1{-7, 80, 9000};
    expectVec(hermite(p0, p1, t0, t1, 0.0f), p0, "u = 0");
    expectVec(hermite(p0, p1, t0, t1, 1.0f), p1, "u = 1");
}

TEST(Hermite, MiddleWeighsTangentsByOneEighth) {
    // h1 = h2 = 0.5, h3 = 0.125, h4 = -0.125.
    expectVec(hermite({0, 0, 0}, {10, 20, 30}, {8, 0, 0}, {0, 16, 0}, 0.5f), {6, 8, 15}, "u = 0.5");
}

TEST(LinearBlend, MovesFromTheFirstPointByTheParameter) {
    expectVec(linearBlend({1, 2, 3}, {5, -2, 3}, 0.25f), {2, 1, 3}, "u = 0.25");
    expectVec(linearBlend({1, 2, 3}, {5, -2, 3}, -0.5f), {-1, 4, 3}, "u = -0.5");
}

}  // namespace
