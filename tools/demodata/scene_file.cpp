#include "tools/demodata/scene_file.h"

#include <stdexcept>

#include "scene/chunk.h"
#include "scene/chunk_writer.h"

namespace {

constexpr uint16_t kChunkEditorVersion = 0x3D3E;
constexpr uint32_t kFormatVersion = 3;
constexpr size_t kMaxNameLength = 31;
// The three edges of a face are visible in the editor.
constexpr uint16_t kFaceFlags = 0x0007;

void checkName(const std::string& name, const char* what) {
    if (name.empty() || name.size() > kMaxNameLength)
        throw std::invalid_argument(std::string(what) + " name \"" + name + "\" must have 1 to 31 characters");
}

void writeVec3(ChunkWriter& w, Vec3 v) {
    w.f32(v.x);
    w.f32(v.y);
    w.f32(v.z);
}

void writeMaterial(ChunkWriter& w, const MaterialData& material) {
    checkName(material.name, "material");
    w.begin(CHUNK_MATERIAL);
    w.chunkStr(CHUNK_MATERIAL_NAME, material.name);
    w.begin(CHUNK_MATERIAL_TEXTURE);
    w.chunkStr(CHUNK_MATERIAL_TEXTURE_FILE, material.textureFile);
    w.end();
    w.end();
}

void writeMesh(ChunkWriter& w, const MeshData& mesh) {
    checkName(mesh.name, "object");
    checkName(mesh.material, "material");
    if (mesh.vertices.size() > kMaxMeshVertices || mesh.faces.size() > 0xFFFF)
        throw std::invalid_argument("object " + mesh.name + " has more than 65535 vertices or faces");
    if (mesh.mapping.size() != mesh.vertices.size())
        throw std::invalid_argument("object " + mesh.name + " needs one mapping coordinate per vertex");
    for (const Triangle& f : mesh.faces) {
        if (f.a >= mesh.vertices.size() || f.b >= mesh.vertices.size() || f.c >= mesh.vertices.size())
            throw std::invalid_argument("object " + mesh.name + " has a face naming a missing vertex");
    }

    w.begin(CHUNK_OBJECT);
    w.str(mesh.name);
    w.begin(CHUNK_OBJECT_MESH);

    w.begin(CHUNK_MESH_VERTICES);
    w.u16(uint16_t(mesh.vertices.size()));
    for (const Vec3& v : mesh.vertices) writeVec3(w, v);
    w.end();

    w.begin(CHUNK_MESH_MAPPING);
    w.u16(uint16_t(mesh.mapping.size()));
    for (const TexCoord& t : mesh.mapping) {
        w.f32(t.u);
        w.f32(t.v);
    }
    w.end();

    // The local axes: identity, the object sits where its vertices say.
    w.begin(CHUNK_MESH_MATRIX);
    const float identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    for (float f : identity) w.f32(f);
    w.end();

    w.begin(CHUNK_MESH_FACES);
    w.u16(uint16_t(mesh.faces.size()));
    for (const Triangle& f : mesh.faces) {
        w.u16(f.a);
        w.u16(f.b);
        w.u16(f.c);
        w.u16(kFaceFlags);
    }
    // One group: every face uses the mesh's material.
    w.begin(CHUNK_MESH_FACE_MATERIAL);
    w.str(mesh.material);
    w.u16(uint16_t(mesh.faces.size()));
    for (size_t i = 0; i < mesh.faces.size(); ++i) w.u16(uint16_t(i));
    w.end();
    w.end();

    w.end();
    w.end();
}

// The lens is a focal length in millimetres on a 35 mm frame: 2400 / lens
// gives the field of view in degrees.
float lensFor(float fieldOfView) { return 2400.0f / fieldOfView; }

void writeCamera(ChunkWriter& w, const CameraData& camera) {
    checkName(camera.name, "camera");
    w.begin(CHUNK_OBJECT);
    w.str(camera.name);
    w.begin(CHUNK_OBJECT_CAMERA);
    writeVec3(w, camera.position);
    writeVec3(w, camera.target);
    w.f32(camera.bank);
    w.f32(lensFor(camera.fieldOfView));
    w.end();
    w.end();
}

struct PositionKey {
    uint32_t frame;
    Vec3 value;
};

// A node: its header (name, flags, no parent), its id and its position track.
void writeNode(ChunkWriter& w, uint16_t kind, const std::string& name, int16_t id,
               const std::vector<PositionKey>& keys) {
    w.begin(kind);
    w.begin(CHUNK_KEYFRAMER_TRACK_OBJECT_NAME);
    w.str(name);
    w.u16(0);
    w.u16(0);
    w.i16(-1);
    w.end();
    w.begin(CHUNK_KEYFRAMER_TRACK_OBJECT_NUMBER);
    w.i16(id);
    w.end();
    w.begin(CHUNK_KEYFRAMER_TRACK_OBJECT_POS);
    w.u16(0);
    for (int i = 0; i < 8; ++i) w.u8(0);
    w.u32(uint32_t(keys.size()));
    for (const PositionKey& key : keys) {
        w.u32(key.frame);
        // No spline parameters: tension, continuity and bias keep their defaults.
        w.u16(0);
        writeVec3(w, key.value);
    }
    w.end();
    w.end();
}

void writeKeyframer(ChunkWriter& w, const SceneData& scene) {
    w.begin(CHUNK_KEYFRAMER);
    w.begin(CHUNK_KEYFRAMER_FRAMES);
    w.u32(0);
    w.u32(scene.framesEnd);
    w.end();
    int16_t id = 0;
    for (const MeshData& mesh : scene.meshes)
        writeNode(w, CHUNK_KEYFRAMER_TRACK_MESH, mesh.name, id++, {{0, Vec3{}}});
    for (const CameraData& camera : scene.cameras) {
        writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_POS, camera.name, id++,
                  {{0, camera.position}, {scene.framesEnd, camera.endPosition}});
        writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET, camera.name, id++,
                  {{0, camera.target}, {scene.framesEnd, camera.target}});
    }
    w.end();
}

}  // namespace

std::vector<uint8_t> encodeScene(const SceneData& scene) {
    ChunkWriter w;
    w.begin(CHUNK_MAIN);
    w.chunkU32(CHUNK_VERSION, kFormatVersion);
    w.begin(CHUNK_EDITOR);
    w.chunkU32(kChunkEditorVersion, kFormatVersion);
    for (const MaterialData& material : scene.materials) writeMaterial(w, material);
    for (const MeshData& mesh : scene.meshes) writeMesh(w, mesh);
    for (const CameraData& camera : scene.cameras) writeCamera(w, camera);
    w.end();
    writeKeyframer(w, scene);
    w.end();
    return w.bytes();
}
