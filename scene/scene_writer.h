#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/mesh.h"
#include "geometry/vector_math.h"
#include "scene/chunk_writer.h"

// The pieces of a 3D Studio file as a modelling program writes them, on top
// of ChunkWriter. A file is
//
//   beginSceneFile(w);              // main chunk, version, editor and its version
//     writeMaterial(w, ...);        // editor content: materials and objects
//     writeMeshObject(w, ...);
//   endEditor(w);
//     beginKeyframer(w, 0, 100);    // optional
//       writeNode(w, ...);
//     w.end();
//   w.end();                        // main chunk
namespace scene_writer {

struct MeshData {
    std::vector<Vec3> vertices;
    std::vector<Face> faces;
    std::vector<MapCoord> mappings;
    // Written as one face-material group over all faces, inside the face chunk.
    std::string material;
};

struct KeyData {
    int32_t frame = 0;
    Vec3 value;
    // Which spline fields the record holds: bit 0 tension, 1 continuity,
    // 2 bias, 3 ease to, 4 ease from.
    uint16_t flags = 0;
    float tension = 0.0f;
    float continuity = 0.0f;
    float bias = 0.0f;
    float easeTo = 0.0f;
    float easeFrom = 0.0f;
};

void beginSceneFile(ChunkWriter& w, uint32_t version = 3);
void endEditor(ChunkWriter& w);
void writeMeshObject(ChunkWriter& w, const std::string& name, const MeshData& mesh);
void writeCameraObject(ChunkWriter& w, const std::string& name, Vec3 position, Vec3 target, float bank, float lens);
// A material with a name and, when texture is not empty, a texture map naming it.
void writeMaterial(ChunkWriter& w, const std::string& name, const std::string& texture);
void beginKeyframer(ChunkWriter& w, uint32_t framesStart, uint32_t framesEnd);
// A node chunk (CHUNK_KEYFRAMER_TRACK_MESH, _CAMERA_POS, _CAMERA_TARGET or
// any other id) holding its name, its id and a position track.
void writeNode(ChunkWriter& w, uint16_t kind, const std::string& name, int16_t id, const std::vector<KeyData>& keys);
// Only the position track chunk of a node.
void writePositionTrack(ChunkWriter& w, const std::vector<KeyData>& keys);

}  // namespace scene_writer
