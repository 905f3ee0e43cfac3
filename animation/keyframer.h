#pragma once

#include <memory>
#include <vector>

#include "animation/track.h"

// The keyframer section of a scene: the frame range and the tracks. A copy
// shares the same tracks; the tracks live as long as any keyframer holds them.
class Keyframer {
public:
    Keyframer();
    virtual ~Keyframer() = default;
    Keyframer(const Keyframer&) = default;
    Keyframer& operator=(const Keyframer&) = default;

    virtual void clearTracks();
    virtual void setFramesStart(int frame);
    virtual void setFramesEnd(int frame);
    virtual int getFramesStart() const;
    virtual int getFramesEnd() const;
    virtual int getTrackCount() const;
    virtual Track* getTrack(int index) const;
    virtual void appendTrack();

private:
    std::vector<std::shared_ptr<Track>> tracks_;
    int framesStart_ = 0;
    int framesEnd_ = 0;
};
