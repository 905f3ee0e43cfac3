#pragma once

#include "geometry/scene_object.h"
#include "geometry/vector_math.h"

// A scene camera as stored in a 3D Studio file, plus the position and target
// that the keyframe animation computes for a frame.
class Camera : public SceneObject {
public:
    Camera();

    virtual void reset();
    virtual void setPosition(Vec3 v);
    virtual Vec3 getPosition() const;
    virtual void setTarget(Vec3 v);
    virtual Vec3 getTarget() const;
    virtual void setBank(float degrees);
    virtual float getBank() const;
    virtual void setFov(float degrees);
    virtual float getFov() const;
    virtual void setAnimatedPosition(Vec3 v);
    virtual Vec3 getAnimatedPosition() const;
    virtual void setAnimatedTarget(Vec3 v);
    virtual Vec3 getAnimatedTarget() const;

private:
    Vec3 position_;
    Vec3 target_;
    float bank_ = 0.0f;
    float fov_ = 0.0f;
    Vec3 animatedPosition_;
    Vec3 animatedTarget_;
};
