// The chunk readers of the 3D Studio format. The levels walked are few: the
// main level (which also meets the editor section's children, the later
// sub-chunks of every object and the sub-chunks of camera chunks), the mesh
// level (which also meets the sub-chunks of the face list), the material level
// and the keyframer level. A chunk met in a level's stream is handled by that
// level's rules, whichever chunk contains it in the file.

#include <cstdio>
#include <cstring>

#include "scene/input_stream.h"
#include "scene/scene.h"

namespace {

uint16_t u16At(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }

uint32_t u32At(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

float f32At(const unsigned char* p) {
    uint32_t bits = u32At(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The smaller of a count from the file and the records that the bytes left
// could hold, so that no count reserves more than the file can fill.
uint32_t plausibleCount(uint32_t count, const ChunkHeader& chunk, uint32_t recordSize) {
    uint32_t fit = chunk.remaining() / recordSize;
    return count < fit ? count : fit;
}

}  // namespace

uint32_t Scene::readBytes(ChunkHeader& chunk, void* dst, uint32_t n) {
    uint32_t take = n;
    if (take > chunk.remaining()) take = chunk.remaining();
    uint32_t got = truncated_ ? 0 : uint32_t(file_->read(dst, take));
    chunk.bytesRead += got;
    if (got < take) truncated_ = true;
    if (got < n) std::memset(static_cast<char*>(dst) + got, 0, n - got);
    return got;
}

bool Scene::readU16(ChunkHeader& chunk, uint16_t& value) {
    unsigned char bytes[2];
    bool ok = readBytes(chunk, bytes, 2) == 2;
    value = u16At(bytes);
    return ok;
}

bool Scene::readU32(ChunkHeader& chunk, uint32_t& value) {
    unsigned char bytes[4];
    bool ok = readBytes(chunk, bytes, 4) == 4;
    value = u32At(bytes);
    return ok;
}

bool Scene::readF32(ChunkHeader& chunk, float& value) {
    unsigned char bytes[4];
    bool ok = readBytes(chunk, bytes, 4) == 4;
    value = f32At(bytes);
    return ok;
}

void Scene::skipRest(ChunkHeader& chunk) {
    uint32_t take = chunk.remaining();
    if (take == 0 || truncated_) return;
    uint32_t got = uint32_t(file_->skip(take));
    chunk.bytesRead += got;
    if (got < take) truncated_ = true;
}

void Scene::readPayload(ChunkHeader& chunk) {
    uint32_t take = chunk.remaining();
    if (take > kScratchSize) take = kScratchSize;
    uint32_t got = readBytes(chunk, scratch_.get(), take);
    scratch_[got] = '\0';
    skipRest(chunk);
}

bool Scene::readChunkHeader(ChunkHeader& parent, ChunkHeader& child) {
    child = ChunkHeader{};
    const uint32_t available = parent.remaining();
    if (available < 6) {
        // Too little left for a header: those bytes end the parent.
        skipRest(parent);
        return false;
    }
    unsigned char bytes[6];
    child.limit = 6;
    uint32_t got = readBytes(child, bytes, 6);
    if (got < 6) return false;
    child.id = u16At(bytes);
    child.length = u32At(bytes + 2);
    uint32_t limit = child.length < available ? child.length : available;
    child.limit = limit < 6 ? 6 : limit;
    return true;
}

int32_t Scene::readString(ChunkHeader& chunk, char* buffer) {
    int32_t count = 0;
    int32_t kept = 0;
    for (;;) {
        char c;
        if (readBytes(chunk, &c, 1) == 0) break;
        ++count;
        if (c == '\0') break;
        // The name is read whole so the count stays right, but only 31 characters are kept.
        if (kept < 31) buffer[kept++] = c;
    }
    buffer[kept] = '\0';
    return count;
}

void Scene::readMainChunks(ChunkHeader& parent) {
    while (parent.remaining() > 0 && reading()) {
        ChunkHeader child;
        if (!readChunkHeader(parent, child)) break;
        switch (child.id) {
        case CHUNK_VERSION: {
            uint32_t version = 0;
            readU32(child, version);
            skipRest(child);
            std::printf("3D Studio Version %i found!\n", int(version));
            std::printf("---------------------------\n");
            break;
        }
        case CHUNK_EDITOR: {
            ChunkHeader sub;
            if (readChunkHeader(child, sub)) {
                uint32_t version = 0;
                readU32(sub, version);
                skipRest(sub);
                child.bytesRead += sub.bytesRead;
                std::printf("3D Editor Version %i chunk found!\n", int(version));
            }
            break;
        }
        case CHUNK_OBJECT: {
            std::printf("CHUNK_OBJECT found!\n");
            readString(child, nameBuffer_);
            // Every object gets a mesh, whatever its kind, so mesh indices are object indices.
            addMesh();
            meshes_.back()->setName(nameBuffer_);
            ChunkHeader sub;
            if (readChunkHeader(child, sub)) {
                if (sub.id == CHUNK_OBJECT_MESH) {
                    std::printf("CHUNK_OBJECT_MESH found!\n");
                    readMeshChunks(sub);
                } else if (sub.id == CHUNK_OBJECT_CAMERA) {
                    std::printf("CHUNK_OBJECT_CAMERA found!\n");
                    readCameraChunk(sub);
                } else {
                    skipRest(sub);
                }
                child.bytesRead += sub.bytesRead;
            }
            break;
        }
        case CHUNK_MATERIAL:
            std::printf("CHUNK_MATERIAL found!\n");
            readMaterialChunks(child);
            break;
        case CHUNK_KEYFRAMER:
            std::printf("CHUNK_KEYFRAMER found!\n");
            readKeyframerChunks(child);
            break;
        default:
            skipRest(child);
            break;
        }
        parent.bytesRead += child.bytesRead;
    }
}

void Scene::readMeshChunks(ChunkHeader& parent) {
    Mesh& mesh = *meshes_.back();
    while (parent.remaining() > 0 && reading()) {
        ChunkHeader child;
        if (!readChunkHeader(parent, child)) break;
        switch (child.id) {
        case CHUNK_MESH_VERTICES: {
            uint16_t n = 0;
            if (!readU16(child, n)) break;
            mesh.reserveVertices(int(plausibleCount(n, child, 12)));
            for (uint16_t i = 0; i < n; ++i) {
                unsigned char record[12];
                if (readBytes(child, record, 12) < 12) break;
                mesh.addVertex(Vec3{f32At(record), f32At(record + 4), f32At(record + 8)});
            }
            break;
        }
        case CHUNK_MESH_FACES: {
            // The sub-chunks after the face array (face-material groups) are met by this loop.
            uint16_t n = 0;
            if (!readU16(child, n)) break;
            mesh.reserveFaces(int(plausibleCount(n, child, 8)));
            for (uint16_t i = 0; i < n; ++i) {
                unsigned char record[8];
                if (readBytes(child, record, 8) < 8) break;
                mesh.addFace(u16At(record), u16At(record + 2), u16At(record + 4));
            }
            break;
        }
        case CHUNK_MESH_FACE_MATERIAL:
            readPayload(child);
            mesh.setMaterialName(scratch_.get());
            break;
        case CHUNK_MESH_MAPPING: {
            uint16_t n = 0;
            if (!readU16(child, n)) break;
            mesh.reserveMappings(int(plausibleCount(n, child, 8)));
            for (uint16_t i = 0; i < n; ++i) {
                unsigned char record[8];
                if (readBytes(child, record, 8) < 8) break;
                mesh.addMapping(f32At(record), f32At(record + 4));
            }
            break;
        }
        case CHUNK_MESH_MATRIX: {
            // The local matrix is read and dropped: the mesh keeps the identity.
            unsigned char matrix[48];
            readBytes(child, matrix, 48);
            break;
        }
        default:
            std::printf("mesh: unknown-chunk: length(%u) id(%x)\n", child.length, unsigned(child.id));
            skipRest(child);
            break;
        }
        parent.bytesRead += child.bytesRead;
    }
}

void Scene::readCameraChunk(ChunkHeader& parent) {
    addCamera();
    Camera& camera = *cameras_.back();
    float f[8];
    for (float& value : f) readF32(parent, value);
    camera.setPosition(Vec3{f[0], f[1], f[2]});
    camera.setTarget(Vec3{f[3], f[4], f[5]});
    camera.setBank(f[6]);
    // The lens is a focal length in millimetres on a 35 mm frame: 2400 / lens
    // gives the field of view in degrees.
    const double lens = f[7];
    camera.setFov(lens < 1e-8 ? 45.0f : float(2400.0 / lens));
}

void Scene::readMaterialChunks(ChunkHeader& parent) {
    addMaterial();
    Material& material = *materials_.back();
    while (parent.remaining() > 0 && reading()) {
        ChunkHeader child;
        if (!readChunkHeader(parent, child)) break;
        switch (child.id) {
        case CHUNK_MATERIAL_NAME:
            readPayload(child);
            material.setName(scratch_.get());
            break;
        case CHUNK_MATERIAL_TEXTURE:
            // Entered: its sub-chunks are met at this level.
            break;
        case CHUNK_MATERIAL_TEXTURE_FILE:
            readPayload(child);
            material.setTextureName(scratch_.get());
            material.loadTexture(scratch_.get(), false);
            break;
        default:
            std::printf("material: unknown-chunk: length(%u) id(%x)\n", child.length, unsigned(child.id));
            skipRest(child);
            break;
        }
        parent.bytesRead += child.bytesRead;
    }
}

void Scene::readPositionTrack(ChunkHeader& chunk, Track& track) {
    unsigned char head[14];
    if (readBytes(chunk, head, 14) < 14) return;
    const uint32_t n = u32At(head + 10);
    track.reserveKeys(int(plausibleCount(n, chunk, 18)));
    for (uint32_t i = 0; i < n; ++i) {
        unsigned char fixed[6];
        if (readBytes(chunk, fixed, 6) < 6) return;
        const uint16_t flags = u16At(fixed + 4);
        float optional[kKeySplineFieldCount] = {};
        bool complete = true;
        for (int bit = 0; bit < kKeySplineFieldCount && complete; ++bit) {
            if (flags & (1u << bit)) complete = readF32(chunk, optional[bit]);
        }
        unsigned char position[12];
        if (!complete || readBytes(chunk, position, 12) < 12) return;
        track.appendKey();
        Key& key = *track.getKey(track.getKeyCount() - 1);
        key.frame = int32_t(u32At(fixed));
        key.flags = flags;
        if (flags & KEY_TENSION) key.spline.setTension(optional[0]);
        if (flags & KEY_CONTINUITY) key.spline.setContinuity(optional[1]);
        if (flags & KEY_BIAS) key.spline.setBias(optional[2]);
        if (flags & KEY_EASE_TO) key.spline.setEaseTo(optional[3]);
        if (flags & KEY_EASE_FROM) key.spline.setEaseFrom(optional[4]);
        key.value = Vec3{f32At(position), f32At(position + 4), f32At(position + 8)};
    }
}

void Scene::readKeyframerChunks(ChunkHeader& parent) {
    // A second position track in one node is passed over: its keys would land
    // on the keys of the first.
    int trackWithPositions = -1;
    auto nodeTrack = [this]() { return keyframer_.getTrack(keyframer_.getTrackCount() - 1); };
    while (parent.remaining() > 0 && reading()) {
        ChunkHeader child;
        if (!readChunkHeader(parent, child)) break;
        switch (child.id) {
        case CHUNK_KEYFRAMER_FRAMES: {
            std::printf("CHUNK_KEYFRAMER_FRAMES found!\n");
            uint32_t start = 0;
            uint32_t end = 0;
            if (readU32(child, start)) keyframer_.setFramesStart(int32_t(start));
            if (readU32(child, end)) keyframer_.setFramesEnd(int32_t(end));
            break;
        }
        case CHUNK_KEYFRAMER_TRACK_CAMERA_POS:
            std::printf("CHUNK_KEYFRAMER_TRACK_CAMERA_POS found!\n");
            keyframer_.appendTrack();
            nodeTrack()->setKind(TRACK_CAMERA_POS);
            break;
        case CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET:
            std::printf("CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET found!\n");
            keyframer_.appendTrack();
            nodeTrack()->setKind(TRACK_CAMERA_TARGET);
            break;
        case CHUNK_KEYFRAMER_TRACK_MESH:
            std::printf("CHUNK_KEYFRAMER_TRACK_MESH found!\n");
            keyframer_.appendTrack();
            nodeTrack()->setKind(TRACK_MESH);
            break;
        case CHUNK_KEYFRAMER_TRACK_OBJECT_NUMBER: {
            std::printf("CHUNK_KEYFRAMER_TRACK_OBJECT_NUMBER found!\n");
            uint16_t id = 0;
            Track* track = nodeTrack();
            if (!track) {
                skipRest(child);
                break;
            }
            if (readU16(child, id)) track->setObjectNumber(int16_t(id));
            break;
        }
        case CHUNK_KEYFRAMER_TRACK_OBJECT_NAME: {
            std::printf("CHUNK_KEYFRAMER_TRACK_OBJECT_NAME found!\n");
            Track* track = nodeTrack();
            if (!track) {
                skipRest(child);
                break;
            }
            readPayload(child);
            track->setName(scratch_.get());
            break;
        }
        case CHUNK_KEYFRAMER_TRACK_OBJECT_POS: {
            std::printf("CHUNK_KEYFRAMER_TRACK_OBJECT_POS found!\n");
            Track* track = nodeTrack();
            const int trackIndex = keyframer_.getTrackCount() - 1;
            if (!track || trackIndex == trackWithPositions) {
                skipRest(child);
                break;
            }
            trackWithPositions = trackIndex;
            readPositionTrack(child, *track);
            break;
        }
        default:
            skipRest(child);
            break;
        }
        parent.bytesRead += child.bytesRead;
    }
}
