// Loads one 3D Studio file of about 10 MB with Scene::load and, side by side
// in the same run, with lib3ds (lib3ds_file_load), the peer we measure against.

#include <benchmark/benchmark.h>
#include <lib3ds/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "scene/chunk.h"
#include "scene/scene.h"
#include "scene/scene_writer.h"
#include "offscreen/offscreen_context.h"

using namespace scene_writer;

namespace {

std::string benchFile;

// Meshes of 60,000 vertices and faces with mapping coordinates and a
// face-material group, cameras, 20 materials and a keyframer of 200 tracks of
// 50 keys with spline parameters.
std::vector<uint8_t> makeBenchFile() {
    ChunkWriter w;
    beginSceneFile(w);
    for (int m = 0; m < 20; ++m)
        writeMaterial(w, "Material" + std::to_string(m), "bench-missing-" + std::to_string(m) + ".jpg");
    for (int k = 0; k < 5; ++k) {
        MeshData mesh;
        const int side = 245;
        for (int i = 0; i < 60000; ++i) {
            float x = float(i % side);
            float y = float(i / side);
            mesh.vertices.push_back(Vec3{x, y, float(k) + 0.01f * x * y});
            mesh.mappings.push_back(MapCoord{x / side, y / side});
        }
        for (int i = 0; i < 60000; ++i) mesh.faces.push_back(Face{i, (i + 1) % 60000, (i + side) % 60000});
        mesh.material = "Material" + std::to_string(k);
        writeMeshObject(w, "Mesh" + std::to_string(k), mesh);
    }
    for (int c = 0; c < 4; ++c)
        writeCameraObject(w, "Camera" + std::to_string(c), Vec3{float(c), 0, 100}, Vec3{0, 0, 0}, 0, 35);
    endEditor(w);
    beginKeyframer(w, 0, 500);
    for (int t = 0; t < 200; ++t) {
        std::vector<KeyData> keys;
        for (int k = 0; k < 50; ++k) {
            KeyData key;
            key.frame = k * 10;
            key.value = Vec3{float(t), float(k), float(t * k)};
            key.flags = 0x001F;
            key.tension = 0.1f;
            key.continuity = 0.2f;
            key.bias = 0.3f;
            key.easeTo = 0.4f;
            key.easeFrom = 0.5f;
            keys.push_back(key);
        }
        uint16_t kind = t % 2 == 0 ? CHUNK_KEYFRAMER_TRACK_CAMERA_POS : CHUNK_KEYFRAMER_TRACK_CAMERA_TARGET;
        writeNode(w, kind, "Camera" + std::to_string(t % 4), int16_t(t), keys);
    }
    w.end();
    w.end();
    return w.bytes();
}

void OrvelSceneLoad(benchmark::State& state) {
    for (auto _ : state) {
        Scene scene;
        bool loaded = scene.load(benchFile.c_str());
        if (!loaded || scene.getKeyframer().getTrackCount() != 200) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(scene.getMeshCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::ifstream(benchFile, std::ios::ate).tellg()));
}

void Lib3dsFileLoad(benchmark::State& state) {
    for (auto _ : state) {
        Lib3dsFile* file = lib3ds_file_load(benchFile.c_str());
        if (!file) state.SkipWithError("lib3ds_file_load failed");
        benchmark::DoNotOptimize(file);
        lib3ds_file_free(file);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::ifstream(benchFile, std::ios::ate).tellg()));
}

BENCHMARK(OrvelSceneLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(Lib3dsFileLoad)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    OffscreenContext context(16, 16);
    if (!context.ok()) {
        std::fprintf(stderr, "load_bench: %s\n", context.error().c_str());
        return 1;
    }
    char dir[] = "/tmp/orvel-load-bench-XXXXXX";
    if (!::mkdtemp(dir)) return 1;
    benchFile = std::string(dir) + "/bench.3ds";
    std::vector<uint8_t> bytes = makeBenchFile();
    {
        std::ofstream out(benchFile, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::fprintf(stderr, "load_bench: %s, %zu bytes\n", benchFile.c_str(), bytes.size());

    // The loader's progress messages go to /dev/null; the results to the terminal.
    int console = ::dup(STDOUT_FILENO);
    std::fflush(stdout);
    if (!std::freopen("/dev/null", "w", stdout)) return 1;
    std::ofstream results("/dev/fd/" + std::to_string(console));
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&results);
    reporter.SetErrorStream(&results);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::remove(benchFile.c_str());
    ::rmdir(dir);
    return 0;
}
