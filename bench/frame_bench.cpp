// Frame rate of every segment of the show, drawn offscreen at 640x480 from
// the generated content, first as the show draws it (immediate mode), then
// the same geometry through client vertex arrays. Also the start-up time:
// from process start to the first frame, all loading included.
//
//   cd build && bench/frame_bench
//
// --size=WxH renders at another size instead: at a few pixels (--size=8x6)
// a frame costs its geometry alone, so the difference to 640x480 is the cost
// of filling the pixels. --data=DIR draws the content in DIR (a copy of an
// earlier show/ folder, say) instead of the generated one. Last, the cost
// of reaching the state before a late frame without drawing the frames
// before it, beside drawing them.

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "offscreen/offscreen_context.h"
#include "shell/frame_schedule.h"
#include "shell/framing.h"
#include "shell/plain_number.h"
#include "shell/renderer.h"
#include "shell/schedule.h"
#include "shell/show_runner.h"

namespace {

int width = kPictureWidth;
int height = kPictureHeight;

OffscreenContext* context = nullptr;
ShowRunner* runner = nullptr;

// The schedule's moment of each segment; segment 4 three times, once per
// drawing style. Names begin with the segment's number (and the style's
// letter), which tests/web/bench.mjs reads.
struct Sample {
    std::string name;
    float t;
};

std::vector<Sample> samples() {
    static const char* const kStyles[3] = {"a_outline", "b_banded", "c_banded_waves"};
    std::vector<Sample> list;
    char name[48];
    for (int segment = 1; segment <= schedule::kSegmentCount; ++segment) {
        if (segment == 4) {
            for (int i = 0; i < 3; ++i) {
                const double t = schedule::kSegment4StyleMoments[i];
                std::snprintf(name, sizeof name, "04%s_at_%.1f", kStyles[i], t);
                list.push_back(Sample{name, float(t)});
            }
            continue;
        }
        const double t = schedule::kSegmentMoments[segment - 1];
        std::snprintf(name, sizeof name, "%02d_at_%.1f", segment, t);
        list.push_back(Sample{name, float(t)});
    }
    return list;
}

// Seconds since the kernel started this process (its start time has the
// resolution of the scheduler clock, 10 ms).
double secondsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the command name, which may hold spaces, start at field 3.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22; ++i) rest >> field;
    const double start = double(std::stoll(field)) / double(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9 - start;
}

// The same faces as the renderer's styles, gathered into arrays each frame
// from fresh face records, then drawn with one call per mesh.
struct Arrays {
    std::vector<float> vertices;
    std::vector<float> normals;
    std::vector<float> mappings;
    std::vector<float> colours;
    std::vector<GLbyte> shades;

    void clear() {
        vertices.clear();
        normals.clear();
        mappings.clear();
        colours.clear();
        shades.clear();
    }
};

void pushCorner(Arrays& a, const FaceRecord& r, int k, Vec3 offset) {
    const float* p = r.corner(k);
    a.vertices.push_back(p[0] + offset.x);
    a.vertices.push_back(p[1] + offset.y);
    a.vertices.push_back(p[2] + offset.z);
}

void drawMeshArrays(const Mesh& mesh, const Scene& materials, const FramePlan& plan, const ShellState& state,
                    Arrays& a) {
    a.clear();
    const int faces = mesh.getTriangleCount();
    for (int j = 0; j < faces; ++j) {
        const FaceRecord r = mesh.getFaceRecord(j);
        const Vec3 offset = waveOffset(plan.wave, j);
        if (plan.style == DrawStyle::Outline) {
            const GLbyte s = shadeOfFace(state.shadeTable, j);
            for (int k : {0, 1, 1, 2}) {
                pushCorner(a, r, k, Vec3{});
                for (int c = 0; c < 3; ++c) a.shades.push_back(s);
            }
            continue;
        }
        const float grey = bandIsWhite(j) ? 1.0f : 0.0f;
        for (int k = 0; k < 3; ++k) {
            pushCorner(a, r, k, plan.style == DrawStyle::White ? Vec3{} : offset);
            if (plan.style == DrawStyle::Textured) {
                a.mappings.push_back(r.cornerMapping(k)[0]);
                a.mappings.push_back(r.cornerMapping(k)[1]);
            } else {
                for (int c = 0; c < 3; ++c) a.normals.push_back(r.cornerNormal(k)[c]);
            }
            if (plan.style == DrawStyle::Banded)
                for (int c = 0; c < 3; ++c) a.colours.push_back(grey);
        }
    }
    if (a.vertices.empty()) return;

    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, a.vertices.data());
    const Material* material = nullptr;
    if (plan.style == DrawStyle::Textured) {
        material = materials.getMaterial(mesh.getMaterialIndex());
        if (material) {
            glEnable(GL_TEXTURE_2D);
            material->bindTexture();
        }
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, a.mappings.data());
    } else if (plan.style != DrawStyle::Outline) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, a.normals.data());
    }
    if (plan.style == DrawStyle::Banded) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_FLOAT, 0, a.colours.data());
    } else if (plan.style == DrawStyle::Outline) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_BYTE, 0, a.shades.data());
    } else if (plan.style == DrawStyle::White) {
        glColor3f(1.0f, 1.0f, 1.0f);
    }
    glDrawArrays(plan.style == DrawStyle::Outline ? GL_LINES : GL_TRIANGLES, 0, GLsizei(a.vertices.size() / 3));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    if (material) glDisable(GL_TEXTURE_2D);
}

void drawFrameArrays(float t, Arrays& arrays) {
    ShellState& state = runner->state();
    const SceneTable& scenes = runner->scenes();
    restoreCarriedState(state);
    const FramePlan plan = planFrame(state, scenes, builtInTiming(), t);
    // The renderer clears and sets up the view; the faces are drawn here.
    FramePlan setup = plan;
    setup.style = DrawStyle::Nothing;
    drawPlan(setup, state, scenes);
    if (plan.style == DrawStyle::Nothing) return;
    const Scene& scene = scenes.scene(plan.scene);
    const Scene& materials = scenes.scene(plan.materialScene);
    for (int i = 0; i < scene.getMeshCount(); ++i)
        if (const Mesh* mesh = scene.getMesh(i)) drawMeshArrays(*mesh, materials, plan, state, arrays);
}

long faceCount(SceneId id) {
    long n = 0;
    const Scene& scene = runner->scenes().scene(id);
    for (int i = 0; i < scene.getMeshCount(); ++i)
        if (const Mesh* mesh = scene.getMesh(i)) n += mesh->getTriangleCount();
    return n;
}

void setCounters(benchmark::State& bench, float t) {
    ShellState probe = runner->state();
    const FramePlan plan = planFrame(probe, runner->scenes(), builtInTiming(), t);
    bench.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
    bench.counters["faces"] = double(faceCount(plan.scene));
}

// Each benchmark starts from the show's start-up state.
void immediateFrame(benchmark::State& bench, float t) {
    runner->reset();
    for (auto _ : bench) {
        runner->drawAt(t);
        glFinish();
    }
    setCounters(bench, t);
}

void arrayFrame(benchmark::State& bench, float t) {
    runner->reset();
    Arrays arrays;
    for (auto _ : bench) {
        drawFrameArrays(t, arrays);
        glFinish();
    }
    setCounters(bench, t);
}

// The state before a late frame (120 s at 30 frames a second, as
// orvel-capture --from 120 and the page's ?at=120 reach it): every frame
// before it played as plain values, beside the same frames drawn into a
// viewport of one pixel, as they were reached before.
constexpr int kReachFps = 30;
constexpr float kReachSeconds = 120.0f;

void reachPlayed(benchmark::State& bench) {
    const FrameSchedule schedule(builtInTiming(), kReachFps, kReachSeconds, kReachSeconds);
    for (auto _ : bench) {
        runner->reset();
        for (long k = 0; k < schedule.firstWritten(); ++k) runner->playAt(schedule.time(k));
        benchmark::DoNotOptimize(runner->state().rotationX);
    }
    bench.counters["frames"] = double(schedule.firstWritten());
}

void reachDrawnIntoOnePixel(benchmark::State& bench) {
    const FrameSchedule schedule(builtInTiming(), kReachFps, kReachSeconds, kReachSeconds);
    for (auto _ : bench) {
        runner->reset();
        glViewport(0, 0, 1, 1);
        for (long k = 0; k < schedule.firstWritten(); ++k) runner->drawAt(schedule.time(k));
        glFinish();
    }
    runner->reshape(width, height);
    bench.counters["frames"] = double(schedule.firstWritten());
}

std::string dataDir = SHOW_DATA_DIR;

constexpr long kMaxSide = 4096;

// Takes --size=WxH and --data=DIR out of the arguments; false when a size is
// malformed.
bool takeOwnOptions(int& argc, char** argv) {
    const std::string sizeOption = "--size=";
    const std::string dataOption = "--data=";
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(dataOption, 0) == 0) {
            dataDir = arg.substr(dataOption.size());
            continue;
        }
        if (arg.rfind(sizeOption, 0) != 0) {
            argv[kept++] = argv[i];
            continue;
        }
        if (!parseFrameSize(arg.substr(sizeOption.size()), kMaxSide, &width, &height)) return false;
    }
    argc = kept;
    argv[argc] = nullptr;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (!takeOwnOptions(argc, argv)) {
        std::fprintf(stderr, "frame_bench: --size wants WIDTHxHEIGHT, from 1x1 to 4096x4096\n");
        return 2;
    }
    context = new OffscreenContext(width, height);
    if (!context->ok()) {
        std::fprintf(stderr, "frame_bench: %s\n", context->error().c_str());
        return 1;
    }
    if (chdir(dataDir.c_str()) != 0) {
        std::fprintf(stderr, "frame_bench: no show content in %s\n", dataDir.c_str());
        return 1;
    }
    // What the show does before its first frame, but the window and the music.
    runner = new ShowRunner;
    // The loader's progress messages would drown the table.
    std::fflush(stdout);
    const int savedStdout = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, STDOUT_FILENO);
    const std::vector<std::string> failures = runner->start();
    runner->reshape(width, height);
    runner->drawAt(0.0f);
    glFinish();
    const double startUp = secondsSinceProcessStart();
    std::fflush(stdout);
    dup2(savedStdout, STDOUT_FILENO);
    close(devNull);
    close(savedStdout);
    for (const std::string& failure : failures) std::fprintf(stderr, "frame_bench: cannot load %s\n", failure.c_str());
    std::fprintf(stderr, "start-up, process start to first frame: %.0f ms\n", startUp * 1000.0);

    for (const Sample& sample : samples()) {
        const float t = sample.t;
        benchmark::RegisterBenchmark((std::string("immediate/") + sample.name).c_str(),
                                     [t](benchmark::State& bench) { immediateFrame(bench, t); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("arrays/") + sample.name).c_str(),
                                     [t](benchmark::State& bench) { arrayFrame(bench, t); })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("reach_120s/played", reachPlayed)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("reach_120s/drawn_into_one_pixel", reachDrawnIntoOnePixel)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
