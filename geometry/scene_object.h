#pragma once

#include <memory>

// A heap copy of a zero-terminated text together with its size (length plus
// terminator), handed out with fixed-length copy semantics.
class OwnedText {
public:
    void set(const char* text);
    void reset();
    // Copies min(size, capacity) bytes into buffer, stopping at the terminator
    // and zero-filling the rest; with no text the buffer is left untouched.
    int copyTo(char* buffer, int capacity) const;
    bool empty() const { return !text_; }
    const char* c_str() const { return text_ ? text_.get() : ""; }
    int size() const { return size_; }

private:
    std::unique_ptr<char[]> text_;
    int size_ = 0;
};

// Base of every named item of a scene: meshes, cameras, lights, materials, tracks.
class SceneObject {
public:
    SceneObject() = default;
    virtual ~SceneObject() = default;
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    virtual void setName(const char* text);
    virtual int getName(char* buffer, int capacity) const;

private:
    OwnedText name_;
};
