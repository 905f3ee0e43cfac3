#include "geometry/camera.h"

Camera::Camera() { Camera::reset(); }

void Camera::reset() {
    position_ = Vec3{};
    target_ = Vec3{};
}

void Camera::setPosition(Vec3 v) { position_ = v; }
Vec3 Camera::getPosition() const { return position_; }
void Camera::setTarget(Vec3 v) { target_ = v; }
Vec3 Camera::getTarget() const { return target_; }
void Camera::setBank(float degrees) { bank_ = degrees; }
float Camera::getBank() const { return bank_; }
void Camera::setFov(float degrees) { fov_ = degrees; }
float Camera::getFov() const { return fov_; }
void Camera::setAnimatedPosition(Vec3 v) { animatedPosition_ = v; }
Vec3 Camera::getAnimatedPosition() const { return animatedPosition_; }
void Camera::setAnimatedTarget(Vec3 v) { animatedTarget_ = v; }
Vec3 Camera::getAnimatedTarget() const { return animatedTarget_; }
