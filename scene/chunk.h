#pragma once

#include <cstdint>

// Chunk ids of the 3D Studio format that the reader handles.
enum ChunkId : uint16_t {
    CHUNK_VERSION = 0x0002,
    CHUNK_EDITOR = 0x3D3D,
    // The editor section's own version, its first child.
    CHUNK_EDITOR_VERSION = 0x3D3E,
    CHUNK_OBJECT = 0x4000,
    CHUNK_OBJECT_MESH = 0x4100,
    CHUNK_MESH_VERTICES = 0x4110,
    CHUNK_MESH_FACES = 0x4120,
    CHUNK_MESH_FACE_MATERIAL = 0x4130,
    CHUNK_MESH_MAPPING = 0x4140,
    CHUNK_MESH_MATRIX = 0x4160,
    CHUNK_OBJECT_CAMERA = 0x4700,
    CHUNK_MAIN = 0x4D4D,
    CHUNK_MATERIAL_NAME = 0xA000,
    CHUNK_MATERIAL_TEXTURE = 0xA200,
    CHUNK_MATERIAL_TEXTURE_FILE = 0xA300,
    CHUNK_MATERIAL = 0xAFFF,
    CHUNK_KEYFRAMER = 0xB000,
    CHUNK_KEYFRAMER_TRACK_MESH = 0xB002,
    CHUNK_KEYFRAMER_TRACK_CAMERA_POS = 0xB003,
    CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET = 0xB004,
    CHUNK_KEYFRAMER_FRAMES = 0xB008,
    CHUNK_KEYFRAMER_TRACK_OBJECT_NAME = 0xB010,
    CHUNK_KEYFRAMER_TRACK_OBJECT_POS = 0xB020,
    CHUNK_KEYFRAMER_TRACK_OBJECT_NUMBER = 0xB030,
};

// The chunk being read: its id and length as stored, and the bytes of it
// consumed so far, header included.
struct ChunkHeader {
    uint16_t id = 0;
    uint32_t length = 0;
    uint32_t bytesRead = 0;
    // What this chunk may consume: its length, but at least its header and at
    // most what its parent still held when the chunk was met. A length from
    // the file can therefore neither stall a loop nor reach past a parent.
    uint32_t limit = 0;

    uint32_t remaining() const { return limit > bytesRead ? limit - bytesRead : 0; }
};
