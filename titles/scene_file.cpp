#include "titles/scene_file.h"

#include <stdexcept>

#include "scene/chunk.h"
#include "scene/chunk_writer.h"
#include "scene/scene_writer.h"

namespace {

constexpr uint32_t kFormatVersion = 3;
constexpr size_t kMaxNameLength = 31;

void checkName(const std::string& name, const char* what) {
    if (name.empty() || name.size() > kMaxNameLength)
        throw std::invalid_argument(std::string(what) + " name \"" + name + "\" must have 1 to 31 characters");
}

void checkMesh(const NamedMesh& mesh) {
    checkName(mesh.name, "object");
    checkName(mesh.material, "material");
    if (mesh.vertices.size() > kMaxMeshVertices || mesh.faces.size() > 0xFFFF)
        throw std::invalid_argument("object " + mesh.name + " has more than 65535 vertices or faces");
    if (mesh.mappings.size() != mesh.vertices.size())
        throw std::invalid_argument("object " + mesh.name + " needs one mapping coordinate per vertex");
    const int vertices = int(mesh.vertices.size());
    for (const Face& f : mesh.faces) {
        if (f.i0 < 0 || f.i1 < 0 || f.i2 < 0 || f.i0 >= vertices || f.i1 >= vertices || f.i2 >= vertices)
            throw std::invalid_argument("object " + mesh.name + " has a face naming a missing vertex");
    }
}

// The lens is a focal length in millimetres on a 35 mm frame: 2400 / lens
// gives the field of view in degrees.
float lensFor(float fieldOfView) { return 2400.0f / fieldOfView; }

// Keys without spline parameters: tension, continuity and bias keep their defaults.
std::vector<scene_writer::KeyData> keys(std::initializer_list<std::pair<uint32_t, Vec3>> list) {
    std::vector<scene_writer::KeyData> out;
    for (const auto& [frame, value] : list) {
        scene_writer::KeyData key;
        key.frame = int32_t(frame);
        key.value = value;
        out.push_back(key);
    }
    return out;
}

void writeKeyframer(ChunkWriter& w, const SceneData& scene) {
    scene_writer::beginKeyframer(w, 0, scene.framesEnd);
    int16_t id = 0;
    for (const NamedMesh& mesh : scene.meshes)
        scene_writer::writeNode(w, CHUNK_KEYFRAMER_TRACK_MESH, mesh.name, id++, keys({{0, Vec3{}}}));
    for (const CameraData& camera : scene.cameras) {
        scene_writer::writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_POS, camera.name, id++,
                                keys({{0, camera.position}, {scene.framesEnd, camera.endPosition}}));
        scene_writer::writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET, camera.name, id++,
                                keys({{0, camera.target}, {scene.framesEnd, camera.target}}));
    }
    w.end();
}

}  // namespace

std::vector<uint8_t> encodeScene(const SceneData& scene) {
    ChunkWriter w;
    scene_writer::beginSceneFile(w, kFormatVersion);
    for (const MaterialData& material : scene.materials) {
        checkName(material.name, "material");
        scene_writer::writeMaterial(w, material.name, material.textureFile);
    }
    for (const NamedMesh& mesh : scene.meshes) {
        checkMesh(mesh);
        scene_writer::writeMeshObject(w, mesh.name, mesh);
    }
    for (const CameraData& camera : scene.cameras) {
        checkName(camera.name, "camera");
        scene_writer::writeCameraObject(w, camera.name, camera.position, camera.target, camera.bank,
                                        lensFor(camera.fieldOfView));
    }
    scene_writer::endEditor(w);
    writeKeyframer(w, scene);
    w.end();
    return w.bytes();
}
