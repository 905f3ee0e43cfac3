#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "animation/keyframer.h"
#include "geometry/camera.h"
#include "geometry/light.h"
#include "geometry/material.h"
#include "geometry/mesh.h"
#include "scene/chunk.h"

class InputStream;

// Everything taken from one 3D Studio file: meshes, lights, cameras and
// materials, each in a list of owned objects, and the keyframer.
//
// Loading prints the reader's progress messages on standard output. Material
// texture maps are decoded and uploaded while the file is read, so an OpenGL
// context must be current during `load`.
class Scene {
public:
    // Payloads read whole (names, texture file names, face-material groups)
    // keep at most this many leading bytes.
    static constexpr uint32_t kScratchSize = 80000;

    Scene();
    explicit Scene(const char* fileName);
    virtual ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // True when the file began with the main chunk and was read to its end.
    virtual bool load(const char* fileName);
    // As `load`, from an open stream, which the scene takes over.
    bool loadStream(std::FILE* stream);
    // Why the last `load` returned false, in a few words; empty after success.
    const std::string& getLoadError() const { return loadError_; }

    virtual bool writeDebugReport(const char* fileName);

    virtual int getMeshCount() const;
    virtual int getLightCount() const;
    virtual int getCameraCount() const;
    virtual int getMaterialCount() const;
    // Null when index < 0 or index >= the count.
    virtual Mesh* getMesh(int index) const;
    virtual Light* getLight(int index) const;
    virtual Camera* getCamera(int index) const;
    virtual Material* getMaterial(int index) const;
    // A copy that shares the tracks.
    virtual Keyframer getKeyframer() const;

    // Drive a camera from one keyframer track at a frame.
    virtual void animateSpline(int frame);
    virtual void animateLinear(int frame);
    virtual void animateSplineLoop(int frame);
    int getSegmentCursor() const { return segmentCursor_; }

    virtual void addMesh();
    virtual void addLight();
    virtual void addCamera();
    virtual void addMaterial();
    // Releases every object, closes the file and drops the scratch buffer.
    virtual void clear();

    // Links every mesh to the last material whose name equals its material name.
    void assignMaterials();

private:
    // Reads a child header inside parent. False, with nothing left to read in
    // parent, when fewer than 6 bytes remain there or the file ends.
    bool readChunkHeader(ChunkHeader& parent, ChunkHeader& child);
    // Reads an object name, whole, keeping at most 31 characters in buffer.
    int32_t readString(ChunkHeader& chunk, char* buffer);
    void readMainChunks(ChunkHeader& parent);
    void readMeshChunks(ChunkHeader& parent);
    void readMaterialChunks(ChunkHeader& parent);
    void readCameraChunk(ChunkHeader& parent);
    void readKeyframerChunks(ChunkHeader& parent);
    // The keys of a position track, up to the first that the chunk cuts short.
    void readPositionTrack(ChunkHeader& chunk, Track& track);

    // The one bounded read: at most what chunk still holds; the bytes obtained
    // are counted in chunk, missing ones read as zeros, and a short read from
    // the file ends every open chunk.
    uint32_t readBytes(ChunkHeader& chunk, void* dst, uint32_t n);
    bool readU16(ChunkHeader& chunk, uint16_t& value);
    bool readU32(ChunkHeader& chunk, uint32_t& value);
    bool readF32(ChunkHeader& chunk, float& value);
    // Reads the rest of chunk into scratch, keeping the leading part of a
    // payload larger than scratch, and terminates it.
    void readPayload(ChunkHeader& chunk);
    // Passes over the rest of chunk, counting every byte.
    void skipRest(ChunkHeader& chunk);
    bool reading() const { return !truncated_; }

    std::vector<std::unique_ptr<Mesh>> meshes_;
    std::vector<std::unique_ptr<Light>> lights_;
    std::vector<std::unique_ptr<Camera>> cameras_;
    std::vector<std::unique_ptr<Material>> materials_;
    Keyframer keyframer_;
    int32_t segmentCursor_ = 0;
    ChunkHeader header_;
    char nameBuffer_[32] = {};
    std::unique_ptr<char[]> scratch_;
    std::unique_ptr<InputStream> file_;
    bool truncated_ = false;
    std::string loadError_;
};
