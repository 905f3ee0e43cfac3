#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "animation/keyframer.h"
#include "animation/track.h"

namespace {

void expectInitialSpline(const KeySpline& spline) {
    EXPECT_EQ(spline.tension, 0.5f);
    EXPECT_EQ(spline.continuity, 0.5f);
    EXPECT_EQ(spline.bias, 0.5f);
    EXPECT_EQ(spline.ease_to, 0.0f);
    EXPECT_EQ(spline.ease_from, 0.0f);
}

// A keyframer with two named tracks of two and three keys.
void fill(Keyframer& keyframer) {
    keyframer.setFramesStart(0);
    keyframer.setFramesEnd(100);
    const char* names[2] = {"Camera01", "Camera01.Target"};
    for (int t = 0; t < 2; ++t) {
        keyframer.appendTrack();
        Track* track = keyframer.getTrack(t);
        track->setKind(t == 0 ? TRACK_CAMERA_POS : TRACK_CAMERA_TARGET);
        track->setName(names[t]);
        track->setObjectNumber(t);
        for (int k = 0; k < 2 + t; ++k) {
            track->appendKey();
            track->getKey(k)->frame = 10 * k;
            track->getKey(k)->value = Vec3{float(k), float(t), 0};
        }
    }
}

// Reads every field of every track, so that AddressSanitizer sees a freed track.
void expectFilled(const Keyframer& keyframer) {
    ASSERT_EQ(keyframer.getTrackCount(), 2);
    EXPECT_EQ(keyframer.getFramesEnd(), 100);
    for (int t = 0; t < 2; ++t) {
        const Track* track = keyframer.getTrack(t);
        ASSERT_NE(track, nullptr) << "track " << t;
        char name[32] = {};
        EXPECT_GT(track->getName(name, 32), 0) << "track " << t;
        EXPECT_EQ(track->getKind(), t == 0 ? TRACK_CAMERA_POS : TRACK_CAMERA_TARGET) << "track " << t;
        ASSERT_EQ(track->getKeyCount(), 2 + t) << "track " << t;
        for (int k = 0; k < 2 + t; ++k) {
            EXPECT_EQ(track->getKey(k)->frame, 10 * k) << "track " << t << " key " << k;
            EXPECT_EQ(track->getKey(k)->value.x, float(k)) << "track " << t << " key " << k;
        }
    }
}

TEST(Key, NewKeyHasHalfSplineParametersAndNoEase) {
    Key key;
    expectInitialSpline(key.spline);
    EXPECT_EQ(key.flags, 0);
    EXPECT_EQ(key.frame, 0);
    EXPECT_EQ(key.value.x, 0.0f);
    EXPECT_EQ(key.value.y, 0.0f);
    EXPECT_EQ(key.value.z, 0.0f);
}

TEST(Key, EachSplineSetterWritesItsOwnField) {
    KeySpline spline;
    spline.setTension(0.1f);
    spline.setContinuity(0.2f);
    spline.setBias(0.3f);
    spline.setEaseTo(0.4f);
    spline.setEaseFrom(0.6f);
    EXPECT_EQ(spline.tension, 0.1f);
    EXPECT_EQ(spline.continuity, 0.2f);
    EXPECT_EQ(spline.bias, 0.3f);
    EXPECT_EQ(spline.ease_to, 0.4f);
    EXPECT_EQ(spline.ease_from, 0.6f);
}

TEST(Track, NewTrackIsUnsetWithoutKeysOrName) {
    Track track;
    EXPECT_EQ(track.getKind(), TRACK_UNSET);
    EXPECT_EQ(track.getKind(), 99);
    EXPECT_EQ(track.getSegment(), -1);
    EXPECT_EQ(track.getBoundObject(), -1);
    EXPECT_EQ(track.getKeyCount(), 0);
    EXPECT_EQ(track.getKey(0), nullptr);
    EXPECT_EQ(track.getObjectNumber(), 0);
    char buffer[32];
    EXPECT_EQ(track.getName(buffer, 32), 0);
}

TEST(Track, AppendKeyAddsAKeyWithInitialSpline) {
    Track track;
    track.appendKey();
    ASSERT_EQ(track.getKeyCount(), 1);
    ASSERT_NE(track.getKey(0), nullptr);
    expectInitialSpline(track.getKey(0)->spline);
}

TEST(Track, AppendKeyKeepsEarlierKeysInPlace) {
    Track track;
    track.appendKey();
    track.getKey(0)->frame = 7;
    Key* first = track.getKey(0);
    for (int i = 0; i < 100; ++i) track.appendKey();
    EXPECT_EQ(track.getKeyCount(), 101);
    EXPECT_EQ(track.getKey(0), first);
    EXPECT_EQ(first->frame, 7);
    EXPECT_NE(track.getKey(1), track.getKey(2));
}

TEST(Track, GetKeyOutOfRangeIsNull) {
    Track track;
    track.appendKey();
    track.appendKey();
    EXPECT_EQ(track.getKey(-1), nullptr);
    EXPECT_EQ(track.getKey(2), nullptr);
    EXPECT_NE(track.getKey(1), nullptr);
}

TEST(Track, KindAndObjectNumberAreStored) {
    Track track;
    track.setKind(TRACK_MESH);
    track.setObjectNumber(-1);
    EXPECT_EQ(track.getKind(), TRACK_MESH);
    EXPECT_EQ(track.getObjectNumber(), -1);
}

TEST(Track, ResetDropsKeysAndKindButKeepsNameAndObjectNumber) {
    Track track;
    track.setName("Box01");
    track.setKind(TRACK_MESH);
    track.setObjectNumber(12);
    track.appendKey();
    track.appendKey();
    track.reset();
    EXPECT_EQ(track.getKind(), TRACK_UNSET);
    EXPECT_EQ(track.getKeyCount(), 0);
    EXPECT_EQ(track.getKey(0), nullptr);
    EXPECT_EQ(track.getSegment(), -1);
    EXPECT_EQ(track.getBoundObject(), -1);
    EXPECT_EQ(track.getObjectNumber(), 12);
    char buffer[32];
    EXPECT_EQ(track.getName(buffer, 32), 6);
    track.appendKey();
    EXPECT_EQ(track.getKeyCount(), 1);
}

// A count above the keys held would hand out keys that do not exist.
TEST(Track, SetKeyCountNeverReachesPastTheKeys) {
    Track track;
    for (int i = 0; i < 3; ++i) track.appendKey();
    track.setKeyCount(5);
    EXPECT_EQ(track.getKeyCount(), 3);
    EXPECT_EQ(track.getKey(3), nullptr);
    track.setKeyCount(-1);
    EXPECT_EQ(track.getKeyCount(), 3);
    track.setKeyCount(1);
    EXPECT_EQ(track.getKeyCount(), 1);
    EXPECT_NE(track.getKey(0), nullptr);
    EXPECT_EQ(track.getKey(1), nullptr);
}

TEST(Keyframer, NewKeyframerIsEmpty) {
    Keyframer keyframer;
    EXPECT_EQ(keyframer.getTrackCount(), 0);
    EXPECT_EQ(keyframer.getFramesStart(), 0);
    EXPECT_EQ(keyframer.getFramesEnd(), 0);
    EXPECT_EQ(keyframer.getTrack(0), nullptr);
}

TEST(Keyframer, ClearTracksOnEmptyKeyframerSetsBothFramesToZero) {
    Keyframer keyframer;
    keyframer.setFramesStart(5);
    keyframer.setFramesEnd(100);
    EXPECT_EQ(keyframer.getFramesStart(), 5);
    EXPECT_EQ(keyframer.getFramesEnd(), 100);
    keyframer.clearTracks();
    EXPECT_EQ(keyframer.getFramesStart(), 0);
    EXPECT_EQ(keyframer.getFramesEnd(), 0);
    EXPECT_EQ(keyframer.getTrackCount(), 0);
}

TEST(Keyframer, ClearTracksDropsEveryTrack) {
    Keyframer keyframer;
    fill(keyframer);
    keyframer.clearTracks();
    EXPECT_EQ(keyframer.getTrackCount(), 0);
    EXPECT_EQ(keyframer.getTrack(0), nullptr);
    EXPECT_EQ(keyframer.getFramesEnd(), 0);
    keyframer.appendTrack();
    EXPECT_EQ(keyframer.getTrackCount(), 1);
}

TEST(Keyframer, AppendTrackAddsAResetTrackAndKeepsEarlierTracks) {
    Keyframer keyframer;
    keyframer.appendTrack();
    Track* first = keyframer.getTrack(0);
    first->setKind(TRACK_MESH);
    for (int i = 0; i < 50; ++i) keyframer.appendTrack();
    ASSERT_EQ(keyframer.getTrackCount(), 51);
    EXPECT_EQ(keyframer.getTrack(0), first);
    EXPECT_EQ(first->getKind(), TRACK_MESH);
    Track* last = keyframer.getTrack(50);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->getKind(), TRACK_UNSET);
    EXPECT_EQ(last->getKeyCount(), 0);
    char buffer[32];
    EXPECT_EQ(last->getName(buffer, 32), 0);
}

TEST(Keyframer, GetTrackOutOfRangeIsNull) {
    Keyframer keyframer;
    keyframer.appendTrack();
    keyframer.appendTrack();
    EXPECT_EQ(keyframer.getTrack(-1), nullptr);
    EXPECT_EQ(keyframer.getTrack(2), nullptr);
    EXPECT_NE(keyframer.getTrack(1), nullptr);
}

TEST(Keyframer, CopySharesTheSameTracks) {
    Keyframer original;
    fill(original);
    Keyframer copy(original);
    ASSERT_EQ(copy.getTrackCount(), 2);
    EXPECT_EQ(copy.getFramesStart(), 0);
    EXPECT_EQ(copy.getFramesEnd(), 100);
    for (int t = 0; t < 2; ++t) EXPECT_EQ(copy.getTrack(t), original.getTrack(t)) << "track " << t;
    copy.getTrack(0)->setObjectNumber(42);
    EXPECT_EQ(original.getTrack(0)->getObjectNumber(), 42);
}

TEST(Keyframer, DestroyingACopyLeavesTheOriginalAndItsTracks) {
    Keyframer original;
    fill(original);
    Track* first = original.getTrack(0);
    {
        Keyframer copy(original);
        Keyframer assigned;
        assigned = original;
        EXPECT_EQ(assigned.getTrack(0), first);
    }
    EXPECT_EQ(original.getTrack(0), first);
    expectFilled(original);
}

TEST(Keyframer, CopyOutlivesTheOriginal) {
    std::unique_ptr<Keyframer> original(new Keyframer);
    fill(*original);
    Keyframer copy(*original);
    original.reset();
    expectFilled(copy);
}

TEST(Keyframer, ClearTracksOnACopyLeavesTheOriginalTracks) {
    Keyframer original;
    fill(original);
    Keyframer copy(original);
    copy.clearTracks();
    EXPECT_EQ(copy.getTrackCount(), 0);
    expectFilled(original);
}

TEST(Keyframer, AppendingToACopyLeavesTheOriginalCount) {
    Keyframer original;
    fill(original);
    Keyframer copy(original);
    copy.appendTrack();
    EXPECT_EQ(copy.getTrackCount(), 3);
    expectFilled(original);
}

TEST(Keyframer, AssigningOverAFilledKeyframerReleasesItsOldTracks) {
    Keyframer target;
    target.appendTrack();
    target.getTrack(0)->appendKey();
    Keyframer source;
    fill(source);
    target = source;
    EXPECT_EQ(target.getTrack(1), source.getTrack(1));
    expectFilled(target);
}

}  // namespace
