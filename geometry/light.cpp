#include "geometry/light.h"

Light::Light() { Light::reset(); }

void Light::reset() {
    position_ = Vec3{};
    target_ = Vec3{};
    flag_ = 0;
}

void Light::setPosition(Vec3 v) { position_ = v; }
Vec3 Light::getPosition() const { return position_; }
void Light::setTarget(Vec3 v) { target_ = v; }
Vec3 Light::getTarget() const { return target_; }
void Light::setFlag(unsigned char flag) { flag_ = flag; }
unsigned char Light::getFlag() const { return flag_; }
void Light::setExtraVector(Vec3 v) { extraVector_ = v; }
Vec3 Light::getExtraVector() const { return extraVector_; }
void Light::setValueA(float value) { valueA_ = value; }
float Light::getValueA() const { return valueA_; }
void Light::setValueB(float value) { valueB_ = value; }
float Light::getValueB() const { return valueB_; }
