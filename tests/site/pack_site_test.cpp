// pack-site as a program, run in the show's directory on the generated
// content: its data files read back as the page reads them.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "shell/scene_needs.h"
#include "shell/timing.h"
#include "tests/test_support.h"

namespace {

using Bytes = std::string;

Bytes readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

uint32_t get32(const Bytes& bytes, std::size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | uint8_t(bytes.at(at + std::size_t(i)));
    return value;
}

Bytes gunzip(const Bytes& packed) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, 15 + 16), Z_OK);
    Bytes out;
    char buffer[1 << 16];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = uInt(packed.size());
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    }
    inflateEnd(&z);
    EXPECT_EQ(result, Z_STREAM_END) << "a pack is one whole gzip stream";
    return out;
}

// A data file's packs, each unpacked into its files, name to bytes, in order.
using Pack = std::vector<std::pair<std::string, Bytes>>;

std::vector<Pack> readDataFile(const std::string& path) {
    const Bytes file = readBytes(path);
    EXPECT_EQ(file.substr(0, 8), "ORVELDAT") << path;
    EXPECT_EQ(get32(file, 8), 1u) << path << ": the version";
    EXPECT_EQ(get32(file, 16), file.size()) << path << ": the size it gives";
    std::vector<Pack> packs(get32(file, 12));
    std::size_t at = 20;
    for (Pack& pack : packs) {
        const uint32_t size = get32(file, at);
        const Bytes plain = gunzip(file.substr(at + 4, size));
        at += 4 + size;
        for (std::size_t p = 0; p < plain.size();) {
            const uint32_t nameLength = get32(plain, p);
            const std::string name = plain.substr(p + 4, nameLength);
            const uint32_t length = get32(plain, p + 4 + nameLength);
            pack.push_back({name, plain.substr(p + 8 + nameLength, length)});
            p += 8 + nameLength + length;
        }
    }
    EXPECT_EQ(at, file.size()) << path << ": the packs fill the file";
    return packs;
}

TEST(PackSite, WritesTheProgramAndTheOpeningFirstAndEachFileOnce) {
    TempDir dir;
    std::ofstream(dir.file("orvel.js")) << "program";
    std::ofstream(dir.file("orvel.wasm"), std::ios::binary) << std::string("\0asm", 4);
    const ToolRun run = runCommand(shellQuoted(PACK_SITE_PATH) + " " + shellQuoted(dir.file("orvel.js")) + " " +
                                       shellQuoted(dir.file("orvel.wasm")) + " " + shellQuoted(dir.path()),
                                   SHOW_DATA_DIR);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "") << "the scene reader's lines are the show's";
    const std::string music = builtInTiming().music;
    EXPECT_EQ(readBytes(dir.file("site-data.txt")), "orvel-1.data\norvel-2.data\n" + music + "\n");
    EXPECT_EQ(readBytes(dir.file(music)), readBytes(std::string(SHOW_DATA_DIR) + "/" + music));

    const std::vector<Pack> start = readDataFile(dir.file("orvel-1.data"));
    const std::vector<Pack> rest = readDataFile(dir.file("orvel-2.data"));
    ASSERT_FALSE(start.empty());
    EXPECT_EQ(start[0], (Pack{{"orvel.js", "program"}, {"orvel.wasm", std::string("\0asm", 4)}}));
    // Then one pack a scene, in the order the show needs them, the
    // opening's in the first file: each starts with its scene's file.
    const schedule::ObjectSegment opening = schedule::segmentScenes(1);
    std::vector<const Pack*> scenes;
    for (std::size_t i = 1; i < start.size(); ++i) scenes.push_back(&start[i]);
    const std::size_t inStart = scenes.size();
    for (const Pack& pack : rest) scenes.push_back(&pack);
    const std::vector<SceneId> order = scenesInOrderOfNeed();
    ASSERT_EQ(scenes.size(), order.size());
    std::set<std::string> packed;
    for (std::size_t i = 0; i < order.size(); ++i) {
        ASSERT_FALSE(scenes[i]->empty());
        const std::string file = schedule::sceneFile(order[i]);
        EXPECT_EQ(scenes[i]->front().first, file);
        EXPECT_EQ(scenes[i]->front().second, readBytes(std::string(SHOW_DATA_DIR) + "/" + file));
        EXPECT_EQ(i < inStart, order[i] == opening.scene || order[i] == opening.materials) << file;
        for (const auto& [name, bytes] : *scenes[i]) {
            EXPECT_TRUE(packed.insert(name).second) << name << " is packed twice";
            EXPECT_EQ(bytes, readBytes(std::string(SHOW_DATA_DIR) + "/" + name)) << name;
        }
    }
    EXPECT_GT(packed.size(), order.size()) << "the scenes' textures are packed with them";
}

TEST(PackSite, RefusesAWrongCommandLineAndAProgramItCannotRead) {
    ToolRun run = runCommand(shellQuoted(PACK_SITE_PATH) + " a b", SHOW_DATA_DIR);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "usage: pack-site PROGRAM.js PROGRAM.wasm SITE_FOLDER\n");
    TempDir dir;
    run = runCommand(shellQuoted(PACK_SITE_PATH) + " " + shellQuoted(dir.file("none.js")) + " x.wasm " +
                         shellQuoted(dir.path()),
                     SHOW_DATA_DIR);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "pack-site: " + dir.file("none.js") + ": cannot be read\n");
}

}  // namespace
