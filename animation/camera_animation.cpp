#include "animation/camera_animation.h"

#include "animation/interpolation.h"

namespace {

// Tangents of the current segment, shared by every scene and both spline
// operations: they are kept from the call that computes them at a key frame
// to the calls that follow.
struct TangentCache {
    Vec3 t0;
    Vec3 t1;
};
TangentCache tangentCache;

void apply(Camera& camera, int kind, Vec3 v) {
    if (kind == TRACK_CAMERA_POS) camera.setAnimatedPosition(v);
    if (kind == TRACK_CAMERA_TARGET) camera.setAnimatedTarget(v);
}

// The track at index when it drives a camera and has a key to apply, else null.
Track* keyedCameraTrack(const Keyframer& keyframer, int index) {
    Track* track = keyframer.getTrack(index);
    if (!track || track->getKeyCount() == 0) return nullptr;
    if (track->getKind() != TRACK_CAMERA_POS && track->getKind() != TRACK_CAMERA_TARGET) return nullptr;
    return track;
}

// The scene object a track drives: its bound object, else its node id.
int objectIndex(const Track& track) {
    return track.getBoundObject() != -1 ? track.getBoundObject() : track.getObjectNumber();
}

// An object index of -99 asks for no update.
constexpr int kNoUpdate = -99;

Camera* cameraAt(const std::vector<std::unique_ptr<Camera>>& cameras, int index) {
    return index >= 0 && size_t(index) < cameras.size() ? cameras[size_t(index)].get() : nullptr;
}

}  // namespace

void animateCameraLinear(const Keyframer& keyframer, const std::vector<std::unique_ptr<Camera>>& cameras, int frame) {
    if (frame > keyframer.getFramesEnd()) frame = keyframer.getFramesStart();
    Track* track = keyedCameraTrack(keyframer, kAnimatedTrackIndex);
    Camera* camera = cameraAt(cameras, 0);
    if (!track || !camera) return;
    float u = track->findSegment(frame);
    int s = track->getSegment();
    Vec3 v = s == -1 ? track->getKey(0)->value : linearBlend(track->getKey(s)->value, track->getKey(s + 1)->value, u);
    apply(*camera, track->getKind(), v);
}

namespace {

void animateSplineTrack(Track& track, Camera& camera, int frame, int framesEnd, int32_t& cursor) {
    const int n = track.getKeyCount();
    const int kind = track.getKind();
    auto key = [&track](int i) { return track.getKey(i); };
    if (n <= 1) {
        apply(camera, kind, key(0)->value);
        return;
    }
    if (frame >= key(n - 1)->frame) {
        apply(camera, kind, key(n - 1)->value);
        if (frame == framesEnd) cursor = 0;
        return;
    }
    // The cursor moves only when a frame equals the next key's frame, and
    // never beyond n - 3: the final segment extrapolates the one before it.
    // One cursor serves the tracks of both spline operations, so it may have
    // been left beyond the keys of this track; it then stays where it is and
    // the last segment is blended.
    if (frame == key(0)->frame) {
        cursor = 0;
        tangentCache.t0 = track.computeTangent(0, cursor);
        tangentCache.t1 = track.computeTangent(1, cursor);
    } else if (cursor + 1 < n && frame == key(cursor + 1)->frame) {
        if (cursor < n - 3) cursor = cursor + 1;
        tangentCache.t0 = track.computeTangent(0, cursor);
        tangentCache.t1 = track.computeTangent(1, cursor);
    }
    int first = cursor < n - 2 ? cursor : n - 2;
    const Key& a = *key(first);
    const Key& b = *key(first + 1);
    float u = segmentParameter(frame, a.frame, b.frame);
    float e = ease(u, a.spline.ease_from, b.spline.ease_to);
    apply(camera, kind, hermite(a.value, b.value, tangentCache.t0, tangentCache.t1, e));
}

}  // namespace

void animateCameraSpline(const Keyframer& keyframer, const std::vector<std::unique_ptr<Camera>>& cameras, int frame,
                         int32_t& cursor) {
    if (keyframer.getTrackCount() == 0) return;
    if (frame > keyframer.getFramesEnd()) frame = keyframer.getFramesEnd();
    Track* track = keyedCameraTrack(keyframer, kAnimatedTrackIndex);
    // Camera 0 is driven whatever the object index, unless it asks for no update.
    if (!track || objectIndex(*track) == kNoUpdate) return;
    Camera* camera = cameraAt(cameras, 0);
    if (!camera) return;
    animateSplineTrack(*track, *camera, frame, keyframer.getFramesEnd(), cursor);
}

void animateCameraSplineLoop(const Keyframer& keyframer, const std::vector<std::unique_ptr<Camera>>& cameras,
                             int frame, int32_t& cursor) {
    if (keyframer.getTrackCount() == 0) return;
    if (frame > keyframer.getFramesEnd()) frame = keyframer.getFramesStart();
    Track* track = keyedCameraTrack(keyframer, 0);
    if (!track) return;
    const int object = objectIndex(*track);
    if (object == kNoUpdate) return;
    Camera* camera = cameraAt(cameras, object);
    if (!camera) return;
    animateSplineTrack(*track, *camera, frame, keyframer.getFramesEnd(), cursor);
}
