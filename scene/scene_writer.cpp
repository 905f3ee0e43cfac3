#include "scene/scene_writer.h"

#include "animation/key.h"
#include "scene/chunk.h"

namespace scene_writer {

void beginSceneFile(ChunkWriter& w, uint32_t version) {
    w.begin(CHUNK_MAIN);
    w.chunkU32(CHUNK_VERSION, version);
    w.begin(CHUNK_EDITOR);
    w.chunkU32(CHUNK_EDITOR_VERSION, 3);
}

void endEditor(ChunkWriter& w) { w.end(); }

void writeMeshObject(ChunkWriter& w, const std::string& name, const MeshData& mesh) {
    w.begin(CHUNK_OBJECT);
    w.str(name);
    w.begin(CHUNK_OBJECT_MESH);
    w.begin(CHUNK_MESH_VERTICES);
    w.u16(uint16_t(mesh.vertices.size()));
    for (const Vec3& v : mesh.vertices) {
        w.f32(v.x);
        w.f32(v.y);
        w.f32(v.z);
    }
    w.end();
    w.begin(CHUNK_MESH_FACES);
    w.u16(uint16_t(mesh.faces.size()));
    for (const Face& f : mesh.faces) {
        w.u16(uint16_t(f.i0));
        w.u16(uint16_t(f.i1));
        w.u16(uint16_t(f.i2));
        w.u16(0x0007);
    }
    if (!mesh.material.empty()) {
        w.begin(CHUNK_MESH_FACE_MATERIAL);
        w.str(mesh.material);
        w.u16(uint16_t(mesh.faces.size()));
        for (size_t i = 0; i < mesh.faces.size(); ++i) w.u16(uint16_t(i));
        w.end();
    }
    w.end();
    if (!mesh.mappings.empty()) {
        w.begin(CHUNK_MESH_MAPPING);
        w.u16(uint16_t(mesh.mappings.size()));
        for (const MapCoord& t : mesh.mappings) {
            w.f32(t.u);
            w.f32(t.v);
        }
        w.end();
    }
    w.end();
    w.end();
}

void writeCameraObject(ChunkWriter& w, const std::string& name, Vec3 position, Vec3 target, float bank, float lens) {
    w.begin(CHUNK_OBJECT);
    w.str(name);
    w.begin(CHUNK_OBJECT_CAMERA);
    w.f32(position.x);
    w.f32(position.y);
    w.f32(position.z);
    w.f32(target.x);
    w.f32(target.y);
    w.f32(target.z);
    w.f32(bank);
    w.f32(lens);
    w.end();
    w.end();
}

void writeMaterial(ChunkWriter& w, const std::string& name, const std::string& texture) {
    w.begin(CHUNK_MATERIAL);
    w.chunkStr(CHUNK_MATERIAL_NAME, name);
    if (!texture.empty()) {
        w.begin(CHUNK_MATERIAL_TEXTURE);
        w.chunkStr(CHUNK_MATERIAL_TEXTURE_FILE, texture);
        w.end();
    }
    w.end();
}

void beginKeyframer(ChunkWriter& w, uint32_t framesStart, uint32_t framesEnd) {
    w.begin(CHUNK_KEYFRAMER);
    w.begin(CHUNK_KEYFRAMER_FRAMES);
    w.u32(framesStart);
    w.u32(framesEnd);
    w.end();
}

void writePositionTrack(ChunkWriter& w, const std::vector<KeyData>& keys) {
    w.begin(CHUNK_KEYFRAMER_TRACK_OBJECT_POS);
    w.u16(0);
    for (int i = 0; i < 8; ++i) w.u8(0);
    w.u32(uint32_t(keys.size()));
    for (const KeyData& k : keys) {
        w.u32(uint32_t(k.frame));
        w.u16(k.flags);
        if (k.flags & KEY_TENSION) w.f32(k.tension);
        if (k.flags & KEY_CONTINUITY) w.f32(k.continuity);
        if (k.flags & KEY_BIAS) w.f32(k.bias);
        if (k.flags & KEY_EASE_TO) w.f32(k.easeTo);
        if (k.flags & KEY_EASE_FROM) w.f32(k.easeFrom);
        w.f32(k.value.x);
        w.f32(k.value.y);
        w.f32(k.value.z);
    }
    w.end();
}

void writeNode(ChunkWriter& w, uint16_t kind, const std::string& name, int16_t id, const std::vector<KeyData>& keys) {
    w.begin(kind);
    w.begin(CHUNK_KEYFRAMER_TRACK_OBJECT_NAME);
    w.str(name);
    // Two flag words and the parent's id, none of them read.
    w.u16(0);
    w.u16(0);
    w.i16(-1);
    w.end();
    w.begin(CHUNK_KEYFRAMER_TRACK_OBJECT_NUMBER);
    w.i16(id);
    w.end();
    writePositionTrack(w, keys);
    w.end();
}

}  // namespace scene_writer
