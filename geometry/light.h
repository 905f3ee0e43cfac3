#pragma once

#include "geometry/scene_object.h"
#include "geometry/vector_math.h"

// The scene's light item. The reader creates none; the class holds its fields
// so that a scene's light list is complete.
class Light : public SceneObject {
public:
    Light();

    virtual void reset();
    virtual void setPosition(Vec3 v);
    virtual Vec3 getPosition() const;
    virtual void setTarget(Vec3 v);
    virtual Vec3 getTarget() const;
    virtual void setFlag(unsigned char flag);
    virtual unsigned char getFlag() const;
    virtual void setExtraVector(Vec3 v);
    virtual Vec3 getExtraVector() const;
    virtual void setValueA(float value);
    virtual float getValueA() const;
    virtual void setValueB(float value);
    virtual float getValueB() const;

private:
    Vec3 position_;
    Vec3 target_;
    unsigned char flag_ = 0;
    Vec3 extraVector_;
    float valueA_ = 0.0f;
    float valueB_ = 0.0f;
};
