// make-demodata OUTDIR
//
// Writes the show's content into OUTDIR: the fifteen scene files and their
// JPEG textures under OUTDIR/demodata/, and the music in OUTDIR itself. Everything is generated here, from code
// alone, and the same bytes come out on every run. Exit 0 on success, 1 when
// a file cannot be written, 2 on wrong usage.

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/schedule.h"
#include "tools/demodata/mp3_encoder.h"
#include "tools/demodata/music.h"
#include "tools/demodata/scenes.h"
#include "tools/demodata/textures.h"

namespace {

constexpr int kMusicKbps = 192;

// Creates dir and any missing parents.
void makeDirectories(const std::string& dir) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            throw std::runtime_error("cannot create " + part + ": " + std::strerror(errno));
        if (slash == std::string::npos) break;
    }
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) throw std::runtime_error(dir + " is not a directory");
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int savedErrno = errno;
    if (std::fclose(file) != 0 || !written)
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(written ? errno : savedErrno));
}

void generate(const std::string& outDir) {
    makeDirectories(outDir + "/demodata");

    std::set<std::string> textureNames;
    for (const TextureFile& texture : buildTextures()) {
        writeFile(outDir + "/" + texture.fileName, encodeJpeg(texture.image));
        textureNames.insert(texture.fileName);
    }

    const std::vector<SceneFile> scenes = buildScenes();
    for (const SceneFile& scene : scenes) {
        for (const MaterialData& material : scene.data.materials)
            if (!textureNames.count(material.textureFile))
                throw std::logic_error(scene.fileName + " names a texture that is not made: " + material.textureFile);
        writeFile(outDir + "/" + scene.fileName, encodeScene(scene.data));
    }

    const Music music = renderMusic();
    writeFile(outDir + "/" + schedule::kMusicFile, encodeMp3(music.left, music.right, kMusicKbps));

    std::printf("make-demodata: wrote %zu scenes, %zu textures and \"%s\" to %s\n", scenes.size(),
                textureNames.size(), schedule::kMusicFile, outDir.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: make-demodata OUTDIR\n");
        return 2;
    }
    try {
        generate(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-demodata: %s\n", e.what());
        return 1;
    }
    return 0;
}
