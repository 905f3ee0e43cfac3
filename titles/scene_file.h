#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "titles/mesh_builder.h"

// A material with one texture map, named by its path from the show's
// working directory.
struct MaterialData {
    std::string name;
    std::string textureFile;
};

// A target camera and the keyframer's two nodes for it: the eye moves in a
// straight line from position to endPosition over the keyframer's frames
// while the target stays put.
struct CameraData {
    std::string name;
    Vec3 position;
    Vec3 target;
    Vec3 endPosition;
    float bank = 0.0f;
    float fieldOfView = 45.0f;
};

// Everything one .3ds file holds.
struct SceneData {
    std::vector<MaterialData> materials;
    std::vector<NamedMesh> meshes;
    std::vector<CameraData> cameras;
    // Keyframer frame range; 3D Studio counts 30 frames a second.
    uint32_t framesEnd = 100;
};

// The file as 3D Studio writes it: version, editor section (its version
// first, then materials, mesh objects and camera objects) and keyframer
// section (frame range, a node per mesh and camera, a target node per
// camera). Throws std::invalid_argument for data that the format cannot
// hold: names of more than 31 characters, a mapping count that differs from
// the vertex count, a face that names a missing vertex.
std::vector<uint8_t> encodeScene(const SceneData& scene);
