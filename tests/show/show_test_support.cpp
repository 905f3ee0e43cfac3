#include "tests/show/show_test_support.h"

#include "shell/shell_state.h"
#include "shell/timing.h"
#include "tests/test_support.h"

std::vector<uint8_t> stripSceneBytes(int faceCount, const std::string& material) {
    ChunkWriter w;
    openScene(w);
    if (!material.empty()) {
        w.begin(CHUNK_MATERIAL);
        w.chunkStr(CHUNK_MATERIAL_NAME, material);
        w.end();
    }
    w.begin(CHUNK_OBJECT);
    w.str("strip");
    w.begin(CHUNK_OBJECT_MESH);
    w.begin(CHUNK_MESH_VERTICES);
    w.u16(uint16_t(faceCount * 3));
    for (int j = 0; j < faceCount; ++j) {
        const float x = float(j);
        const float corners[9] = {x, 0, 0, x + 1, 0, 0, x, 1, 0};
        for (float c : corners) w.f32(c);
    }
    w.end();
    w.begin(CHUNK_MESH_FACES);
    w.u16(uint16_t(faceCount));
    for (int j = 0; j < faceCount; ++j) {
        w.u16(uint16_t(3 * j));
        w.u16(uint16_t(3 * j + 1));
        w.u16(uint16_t(3 * j + 2));
        w.u16(0);
    }
    if (!material.empty()) {
        w.begin(CHUNK_MESH_FACE_MATERIAL);
        w.str(material);
        w.u16(0);
        w.end();
    }
    w.end();
    w.end();
    w.end();
    closeScene(w);
    return w.bytes();
}

std::vector<uint8_t> cameraSceneBytes(Vec3 position, Vec3 target) {
    ChunkWriter w;
    openScene(w);
    w.begin(CHUNK_OBJECT);
    w.str("camera");
    w.begin(CHUNK_OBJECT_CAMERA);
    for (float f : {position.x, position.y, position.z, target.x, target.y, target.z, 0.0f, 35.0f}) w.f32(f);
    w.end();
    w.end();
    closeScene(w);
    return w.bytes();
}

void press(ShellState& state, int key) { applySpecialKey(state, key, builtInTiming().end()); }
