#pragma once

#include <memory>
#include <vector>

#include "animation/key.h"
#include "geometry/scene_object.h"
#include "geometry/vector_math.h"

enum TrackKind {
    TRACK_MESH = 1,
    TRACK_CAMERA_POS = 2,
    TRACK_CAMERA_TARGET = 3,
    TRACK_UNSET = 99,
};

// One keyframer node: a named track of position keys, owned by the track.
class Track : public SceneObject {
public:
    Track();

    virtual void reset();
    virtual void setKind(int kind);
    virtual int getKind() const;
    // Shortens the key list to count keys (never lengthens it).
    virtual void setKeyCount(int count);
    virtual int getKeyCount() const;
    virtual void appendKey();
    virtual void setObjectNumber(int number);
    virtual int getObjectNumber() const;
    virtual Vec3 computeTangent(int side, int index);
    virtual float findSegment(int frame);
    // Null when index < 0 or index >= the key count.
    virtual Key* getKey(int index) const;

    // Room for count more keys, so that a reader that knows the count grows the list once.
    void reserveKeys(int count) { keys_.reserve(keys_.size() + size_t(count)); }

    int getSegment() const { return segment_; }
    int getBoundObject() const { return boundObject_; }

private:
    int segment_ = -1;
    int boundObject_ = -1;
    std::vector<std::unique_ptr<Key>> keys_;
    int kind_ = TRACK_UNSET;
    int objectNumber_ = 0;
};
