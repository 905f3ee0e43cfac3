// pack-site PROGRAM.js PROGRAM.wasm SITE_FOLDER
//
// Writes the page's data into SITE_FOLDER from the show's data folder (the
// working directory), in the order the show needs it, so that the page can
// start the show on its first seconds and fetch the rest while it plays:
//
//   orvel-1.data   the page's program (PROGRAM.js, PROGRAM.wasm, under
//                  their own names) and the scenes of the show's first segment
//   orvel-2.data   the other scenes, one pack each, in the order the show
//                  first needs them (shell/scene_needs.h)
//   the music of the built-in timing, as it is (it does not compress)
//   site-data.txt  the names of the files above, one a line, the one the
//                  page reads first on the first
//
// A data file is "ORVELDAT", then three little-endian 32-bit numbers: a
// version (1), the number of packs and the file's size in bytes; then the
// packs, each a 32-bit size and that many bytes of gzip. Unpacked, a pack
// holds files, each a 32-bit length, the name (a path in the data folder,
// such as demodata/test.3ds), a 32-bit size and the bytes. A scene's pack
// holds its file and the textures it names that no earlier pack holds, so
// that the page can load each scene as soon as its pack is there. Any
// static server serves these files as they are, and the page unpacks them.
// Exit 1, with a line on standard error, when a file cannot be read or
// written; 2 on wrong usage.

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "geometry/texture_file.h"
#include "offscreen/offscreen_context.h"
#include "scene/scene.h"
#include "shell/program_start.h"
#include "shell/scene_needs.h"
#include "shell/timing.h"
#include "tools/player/quiet_standard_output.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr char kMagic[] = "ORVELDAT";
constexpr uint32_t kVersion = 1;
const char* const kStartFile = "orvel-1.data";
const char* const kRestFile = "orvel-2.data";

Bytes readWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error(path + ": cannot be read");
    return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void writeWhole(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) throw std::runtime_error(path + ": cannot be written");
}

void put32(Bytes& out, std::size_t value) {
    if (value > UINT32_MAX) throw std::runtime_error("a file larger than 4 GB cannot be packed");
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

Bytes gzip(const Bytes& plain) {
    z_stream z{};
    // 15 window bits plus 16: a gzip stream, which the page's
    // DecompressionStream("gzip") reads.
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib cannot start");
    Bytes out(deflateBound(&z, uLong(plain.size())) + 32);
    z.next_in = const_cast<Bytef*>(plain.data());
    z.avail_in = uInt(plain.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (result != Z_STREAM_END) throw std::runtime_error("zlib could not compress a pack");
    return out;
}

std::string baseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The files of one pack, by the names the program will open.
class Pack {
public:
    // Adds a file once: a name already in this pack or an earlier one is left out.
    void add(const std::string& name, std::set<std::string>& packed) {
        if (packed.insert(name).second) addAs(name, readWhole(name));
    }
    // A file under another name (the program's, from the build folder).
    void addAs(const std::string& name, const Bytes& bytes) {
        put32(plain_, name.size());
        plain_.insert(plain_.end(), name.begin(), name.end());
        put32(plain_, bytes.size());
        plain_.insert(plain_.end(), bytes.begin(), bytes.end());
    }
    Bytes compressed() const { return gzip(plain_); }

private:
    Bytes plain_;
};

void writeDataFile(const std::string& path, const std::vector<Pack>& packs) {
    std::vector<Bytes> bodies;
    std::size_t size = 8 + 3 * 4;
    for (const Pack& pack : packs) {
        bodies.push_back(pack.compressed());
        size += 4 + bodies.back().size();
    }
    Bytes out(kMagic, kMagic + 8);
    put32(out, kVersion);
    put32(out, packs.size());
    put32(out, size);
    for (const Bytes& body : bodies) {
        put32(out, body.size());
        out.insert(out.end(), body.begin(), body.end());
    }
    writeWhole(path, out);
}

// A scene's pack: its file, then the texture files its materials name, as
// the program's reader finds them.
Pack scenePack(SceneId id, std::set<std::string>& packed) {
    Pack pack;
    const char* file = schedule::sceneFile(id);
    pack.add(file, packed);
    Scene scene;
    if (!scene.load(file)) throw std::runtime_error(std::string(file) + ": " + scene.getLoadError());
    for (int i = 0; i < scene.getMaterialCount(); ++i) {
        const Material* material = scene.getMaterial(i);
        const std::string texture = material ? resolveTexturePath(material->getFileName()) : std::string();
        if (!texture.empty()) pack.add(texture, packed);
    }
    return pack;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: pack-site PROGRAM.js PROGRAM.wasm SITE_FOLDER\n");
        return 2;
    }
    const std::string site = std::string(argv[3]) + "/";
    try {
        // The scenes are read as the show reads them, textures uploaded;
        // the reader's progress lines are the show's, not this tool's.
        const QuietStandardOutput quiet;
        if (!quiet.quiet()) throw std::runtime_error("cannot silence the scene reader");
        OffscreenContext context(16, 16);
        if (!context.ok()) throw std::runtime_error(context.error());
        std::set<std::string> packed;
        Pack program;
        for (const char* file : {argv[1], argv[2]}) program.addAs(baseName(file), readWhole(file));
        std::vector<Pack> start{program};
        std::vector<Pack> rest;
        const schedule::ObjectSegment opening = schedule::segmentScenes(1);
        for (SceneId id : scenesInOrderOfNeed()) {
            const bool first = id == opening.scene || id == opening.materials;
            (first ? start : rest).push_back(scenePack(id, packed));
        }
        writeDataFile(site + kStartFile, start);
        writeDataFile(site + kRestFile, rest);
        const std::string& music = builtInTiming().music;
        writeWhole(site + music, readWhole(music));
        const std::string list = std::string(kStartFile) + "\n" + kRestFile + "\n" + music + "\n";
        writeWhole(site + "site-data.txt", Bytes(list.begin(), list.end()));
    } catch (const std::exception& e) {
        return failure("pack-site", e.what());
    }
    return 0;
}
