#include "animation/track.h"

Track::Track() { Track::reset(); }

void Track::reset() {
    segment_ = -1;
    boundObject_ = -1;
    keys_.clear();
    kind_ = TRACK_UNSET;
}

void Track::setKind(int kind) { kind_ = kind; }
int Track::getKind() const { return kind_; }

void Track::setKeyCount(int count) {
    if (count >= 0 && size_t(count) < keys_.size()) keys_.resize(size_t(count));
}

int Track::getKeyCount() const { return int(keys_.size()); }

void Track::appendKey() { keys_.push_back(std::make_unique<Key>()); }

void Track::setObjectNumber(int number) { objectNumber_ = number; }
int Track::getObjectNumber() const { return objectNumber_; }

Key* Track::getKey(int index) const {
    if (index < 0 || size_t(index) >= keys_.size()) return nullptr;
    return keys_[size_t(index)].get();
}
