#include "animation/keyframer.h"

Keyframer::Keyframer() { Keyframer::clearTracks(); }

void Keyframer::clearTracks() {
    framesStart_ = 0;
    framesEnd_ = 0;
    tracks_.clear();
}

void Keyframer::setFramesStart(int frame) { framesStart_ = frame; }
void Keyframer::setFramesEnd(int frame) { framesEnd_ = frame; }
int Keyframer::getFramesStart() const { return framesStart_; }
int Keyframer::getFramesEnd() const { return framesEnd_; }
int Keyframer::getTrackCount() const { return int(tracks_.size()); }

Track* Keyframer::getTrack(int index) const {
    if (index < 0 || size_t(index) >= tracks_.size()) return nullptr;
    return tracks_[size_t(index)].get();
}

void Keyframer::appendTrack() { tracks_.push_back(std::make_shared<Track>()); }
