// make_fuzz_seeds DIR: writes scene files that cover every reader, as the
// fuzzer's starting points.

#include <cstdio>
#include <string>

#include "scene/chunk.h"
#include "scene/scene_writer.h"

using namespace scene_writer;

namespace {

MeshData tetrahedron(const char* material) {
    MeshData m;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    m.faces = {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {1, 3, 2}};
    m.mappings = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    m.material = material;
    return m;
}

std::vector<KeyData> keys(int count) {
    std::vector<KeyData> list;
    for (int k = 0; k < count; ++k) {
        KeyData key;
        key.frame = k * 10;
        key.value = Vec3{float(k), float(2 * k), float(3 * k)};
        key.flags = uint16_t(k % 32);
        key.tension = 0.25f;
        key.easeFrom = 0.5f;
        list.push_back(key);
    }
    return list;
}

void keyframer(ChunkWriter& w) {
    beginKeyframer(w, 0, 100);
    writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_POS, "Camera01", 0, keys(4));
    writeNode(w, CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET, "Camera01.Target", 1, keys(3));
    writeNode(w, CHUNK_KEYFRAMER_TRACK_MESH, "Box", 2, keys(2));
    writeNode(w, 0xB005, "Light01", 3, keys(1));
    w.end();
}

bool save(const ChunkWriter& w, const std::string& dir, const char* name) {
    if (w.save(dir + "/" + name)) return true;
    std::fprintf(stderr, "make_fuzz_seeds: cannot write %s/%s\n", dir.c_str(), name);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;

    ChunkWriter full;
    beginSceneFile(full);
    writeMaterial(full, "Wood", "wood.jpg");
    writeMaterial(full, "Stone", "MAPS\\STONE.JPG");
    writeMeshObject(full, "Box", tetrahedron("Wood"));
    writeMeshObject(full, "Pyramid", tetrahedron("Stone"));
    writeCameraObject(full, "Camera01", Vec3{-100, 0, 10}, Vec3{0, 0, 0}, 0, 50);
    endEditor(full);
    keyframer(full);
    full.end();
    ok &= save(full, dir, "full.3ds");

    ChunkWriter animation;
    beginSceneFile(animation);
    writeCameraObject(animation, "Camera01", Vec3{1, 2, 3}, Vec3{4, 5, 6}, 10, 0);
    endEditor(animation);
    keyframer(animation);
    animation.end();
    ok &= save(animation, dir, "keyframer.3ds");

    ChunkWriter cut;
    cut.raw(full.bytes().data(), full.bytes().size() / 2);
    ok &= save(cut, dir, "truncated.3ds");

    // A vertex chunk whose count and length both claim more than the file holds.
    ChunkWriter overlong;
    beginSceneFile(overlong);
    overlong.begin(CHUNK_OBJECT);
    overlong.str("Long");
    overlong.begin(CHUNK_OBJECT_MESH);
    overlong.begin(CHUNK_MESH_VERTICES);
    overlong.u16(1000);
    overlong.f32(1);
    overlong.f32(2);
    overlong.f32(3);
    overlong.endWithLength(100000);
    overlong.end();
    overlong.end();
    endEditor(overlong);
    overlong.end();
    ok &= save(overlong, dir, "overlong.3ds");

    return ok ? 0 : 1;
}
