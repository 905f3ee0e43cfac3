// The text report of a loaded scene: what the 3D Studio reader made of a file.

#include <cstdio>
#include <memory>

#include "scene/scene.h"

namespace {

void countLine(std::FILE* out, int n, const char* none, const char* one, const char* many) {
    if (n == 0) std::fprintf(out, "%s", none);
    if (n == 1) std::fprintf(out, "%s", one);
    if (n > 1) std::fprintf(out, many, n);
}

// One buffer serves every name of the report. Names are copied with one byte
// less than it holds, so a name of 32 characters or more is cut to 31 and
// stays terminated; a getter that copies nothing leaves the previous name
// there.
struct NameBuffer {
    char text[32] = {};
    static constexpr int kCapacity = 31;
};

void writeSummary(std::FILE* out, const Scene& scene, NameBuffer& name) {
    std::fprintf(out, "Debug file for 3D Studio Parser by zentrik\n");
    std::fprintf(out, "--------------------------------------------\n");
    std::fprintf(out, "\n=============\n");
    std::fprintf(out, "Scene Summary\n");
    std::fprintf(out, "=============\n");
    countLine(out, scene.getMeshCount(), "There are no meshes in the scene\n", "There are 1 mesh in the scene\n",
              "There are %d meshes in the scene\n");
    countLine(out, scene.getLightCount(), "There are no lights in the scene\n", "There are 1 light in the scene\n",
              "There are %d lights in the scene\n");
    countLine(out, scene.getCameraCount(), "There are no cameras in the scene\n",
              "There are 1 camera in the scene\n", "There are %d cameras in the scene\n");
    countLine(out, scene.getMaterialCount(), "There are no materials in the scene\n",
              "There are 1 material in the scene\n", "There are %d materials in the scene\n");

    for (int i = 0; i < scene.getMeshCount(); ++i) {
        const Mesh& mesh = *scene.getMesh(i);
        std::fprintf(out, "\nMesh %d:\n", i);
        std::fprintf(out, "--------\n");
        mesh.getName(name.text, name.kCapacity);
        std::fprintf(out, "Name: %s\n", name.text);
        std::fprintf(out, "Number of vertices: %d\n", mesh.getVertexCount());
        std::fprintf(out, "Number of faces: %d\n", mesh.getFaceCount());
        mesh.getMaterialName(name.text, name.kCapacity);
        std::fprintf(out, "Assigned material: %s\n", name.text);
    }
}

void writeObjects(std::FILE* out, const Scene& scene, NameBuffer& name) {
    std::fprintf(out, "\n");
    std::fprintf(out, "\n");
    std::fprintf(out, "\nObjects Description\n");
    std::fprintf(out, "===================\n\n");
    for (int i = 0; i < scene.getMeshCount(); ++i) {
        const Mesh& mesh = *scene.getMesh(i);
        mesh.getName(name.text, name.kCapacity);
        std::fprintf(out, "Vertices for mesh %d [%s]:\n", i, name.text);
        for (int j = 0; j < mesh.getVertexCount(); ++j) {
            Vec3 v = mesh.getVertex(j);
            MapCoord t = mesh.getMapping(j);
            std::fprintf(out, "Vertex %i: X: %.2f, Y: %.2f, Z: %.2f  U: %.2f V: %.2f\n", j, double(v.x), double(v.y),
                         double(v.z), double(t.u), double(t.v));
        }
        std::fprintf(out, "\n");
    }
}

void writeCameras(std::FILE* out, const Scene& scene) {
    std::fprintf(out, "CAMERAS\n");
    std::fprintf(out, "=======\n");
    for (int i = 0; i < scene.getCameraCount(); ++i) {
        const Camera& camera = *scene.getCamera(i);
        Vec3 p = camera.getPosition();
        Vec3 q = camera.getTarget();
        std::fprintf(out, "Camera %i:\n", i);
        std::fprintf(out, "Position: X: %.2f Y: %.2f Z: %.2f\n", double(p.x), double(p.y), double(p.z));
        std::fprintf(out, "Target:   X: %.2f Y: %.2f Z: %.2f\n", double(q.x), double(q.y), double(q.z));
        // The "Fov:" line carries the bank angle and the "Lens:" line the field of view.
        std::fprintf(out, "Fov:  %.2fdeg\n", double(camera.getBank()));
        std::fprintf(out, "Lens: %.2f\n", double(camera.getFov()));
    }
}

void writeKeyframer(std::FILE* out, const Keyframer& keyframer, NameBuffer& name) {
    std::fprintf(out, "\n");
    std::fprintf(out, "KEYFRAMER\n");
    std::fprintf(out, "=========\n");
    std::fprintf(out, "Frames start: %i\n", keyframer.getFramesStart());
    std::fprintf(out, "Frames end:   %i\n", keyframer.getFramesEnd());
    std::fprintf(out, "\n");
    std::fprintf(out, "Number of track(s) found: %i\n", keyframer.getTrackCount());
    for (int i = 0; i < keyframer.getTrackCount(); ++i) {
        const Track& track = *keyframer.getTrack(i);
        track.getName(name.text, name.kCapacity);
        std::fprintf(out, "Track %i: %s \tobject number: %i\n", i, name.text, track.getObjectNumber());
        std::fprintf(out, "Number of keys: %i\n", track.getKeyCount());
        for (int k = 0; k < track.getKeyCount(); ++k) {
            const Key& key = *track.getKey(k);
            std::fprintf(out, "frame:      %i\n", key.frame);
            std::fprintf(out, "tension:    %.1f\n", double(key.spline.tension));
            std::fprintf(out, "continuity: %.1f\n", double(key.spline.continuity));
            std::fprintf(out, "bias:       %.1f\n", double(key.spline.bias));
            std::fprintf(out, "ease_from:  %.1f\n", double(key.spline.ease_from));
            std::fprintf(out, "ease_to:    %.1f\n", double(key.spline.ease_to));
            std::fprintf(out, "X: %.2f  Y:%.2f  Z:%.2f\n\n", double(key.value.x), double(key.value.y),
                         double(key.value.z));
        }
    }
}

}  // namespace

bool Scene::writeDebugReport(const char* fileName) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(fileName, "w"), std::fclose);
    if (!file) return false;
    std::FILE* out = file.get();
    NameBuffer name;
    writeSummary(out, *this, name);
    writeObjects(out, *this, name);
    writeCameras(out, *this);
    writeKeyframer(out, keyframer_, name);
    // A report cut short by a full disk is a failure, not a report.
    bool written = std::ferror(out) == 0;
    return std::fclose(file.release()) == 0 && written;
}
