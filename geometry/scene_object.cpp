#include "geometry/scene_object.h"

#include <cstring>

void OwnedText::set(const char* text) {
    if (!text) text = "";
    size_t length = std::strlen(text);
    text_.reset(new char[length + 1]);
    std::memcpy(text_.get(), text, length + 1);
    size_ = int(length + 1);
}

void OwnedText::reset() {
    text_.reset();
    size_ = 0;
}

int OwnedText::copyTo(char* buffer, int capacity) const {
    int n = size_ < capacity ? size_ : capacity;
    if (n <= 0 || !text_) return 0;
    std::strncpy(buffer, text_.get(), size_t(n));
    return n;
}

void SceneObject::setName(const char* text) { name_.set(text); }

int SceneObject::getName(char* buffer, int capacity) const { return name_.copyTo(buffer, capacity); }
