#include "scene/scene.h"

#include <cstring>

#include "animation/camera_animation.h"
#include "scene/input_stream.h"

Scene::Scene() : scratch_(new char[kScratchSize + 1]) {}

Scene::Scene(const char* fileName) : Scene() { load(fileName); }

Scene::~Scene() { Scene::clear(); }

bool Scene::load(const char* fileName) {
    std::FILE* stream = fileName ? std::fopen(fileName, "rb") : nullptr;
    if (!stream) {
        loadError_ = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    return loadStream(stream);
}

bool Scene::loadStream(std::FILE* stream) {
    file_ = std::make_unique<InputStream>(stream);
    truncated_ = false;
    loadError_.clear();
    if (!scratch_) scratch_.reset(new char[kScratchSize + 1]);

    ChunkHeader whole;
    whole.limit = UINT32_MAX;
    header_ = ChunkHeader{};
    if (!readChunkHeader(whole, header_)) {
        loadError_ = "file too short for a 3D Studio main chunk";
        return false;
    }
    if (header_.id != CHUNK_MAIN) {
        char text[64];
        std::snprintf(text, sizeof text, "not a 3D Studio file (first chunk id 0x%04x)", unsigned(header_.id));
        loadError_ = text;
        return false;
    }
    readMainChunks(header_);
    assignMaterials();
    if (truncated_) {
        loadError_ = "file ends inside a chunk";
        return false;
    }
    return true;
}

int Scene::getMeshCount() const { return int(meshes_.size()); }
int Scene::getLightCount() const { return int(lights_.size()); }
int Scene::getCameraCount() const { return int(cameras_.size()); }
int Scene::getMaterialCount() const { return int(materials_.size()); }

namespace {
template <typename T>
T* entry(const std::vector<std::unique_ptr<T>>& list, int index) {
    if (index < 0 || size_t(index) >= list.size()) return nullptr;
    return list[size_t(index)].get();
}
}  // namespace

Mesh* Scene::getMesh(int index) const { return entry(meshes_, index); }
Light* Scene::getLight(int index) const { return entry(lights_, index); }
Camera* Scene::getCamera(int index) const { return entry(cameras_, index); }
Material* Scene::getMaterial(int index) const { return entry(materials_, index); }
Keyframer Scene::getKeyframer() const { return keyframer_; }

void Scene::animateSpline(int frame) { animateCameraSpline(keyframer_, cameras_, frame, segmentCursor_); }
void Scene::animateLinear(int frame) { animateCameraLinear(keyframer_, cameras_, frame); }
void Scene::animateSplineLoop(int frame) { animateCameraSplineLoop(keyframer_, cameras_, frame, segmentCursor_); }

void Scene::addMesh() { meshes_.push_back(std::make_unique<Mesh>()); }
void Scene::addLight() { lights_.push_back(std::make_unique<Light>()); }
void Scene::addCamera() { cameras_.push_back(std::make_unique<Camera>()); }
void Scene::addMaterial() { materials_.push_back(std::make_unique<Material>()); }

void Scene::clear() {
    meshes_.clear();
    lights_.clear();
    cameras_.clear();
    materials_.clear();
    file_.reset();
    scratch_.reset();
}

void Scene::assignMaterials() {
    for (auto& mesh : meshes_) {
        char meshMaterial[32] = {};
        if (mesh->getMaterialName(meshMaterial, 32) == 0) continue;
        for (size_t j = 0; j < materials_.size(); ++j) {
            char name[32] = {};
            if (materials_[j]->getName(name, 32) == 0) continue;
            // The last material bearing the name wins.
            if (std::strncmp(name, meshMaterial, 32) == 0) mesh->setMaterialIndex(int(j));
        }
    }
}
