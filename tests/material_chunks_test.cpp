#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "scene/chunk.h"
#include "scene/scene_writer.h"
#include "tests/test_support.h"

using namespace scene_writer;

namespace {

int countOf(const std::string& text, const std::string& piece) {
    int n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

std::vector<uint8_t> withMaterial(const std::function<void(ChunkWriter&)>& body) {
    ChunkWriter w;
    beginSceneFile(w);
    w.begin(CHUNK_MATERIAL);
    body(w);
    w.end();
    endEditor(w);
    w.end();
    return w.bytes();
}

TEST(MaterialChunks, NameTextureFileAndFiveUnknownChunks) {
    TempDir dir;
    const std::string texture = dir.file("wood.jpg");
    writeJpeg(texture, 64, 32);
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, withMaterial([&](ChunkWriter& w) {
                              w.chunkStr(CHUNK_MATERIAL_NAME, "Wood");
                              for (uint16_t id : {0xA010, 0xA020, 0xA030}) {
                                  w.begin(id);
                                  w.begin(0x0011);
                                  w.u8(1), w.u8(2), w.u8(3);
                                  w.end();
                                  w.end();
                              }
                              w.begin(CHUNK_MATERIAL_TEXTURE);
                              w.chunkStr(CHUNK_MATERIAL_TEXTURE_FILE, texture);
                              w.begin(0xA351);
                              w.u16(0);
                              w.end();
                              w.begin(0xA354);
                              w.f32(1);
                              w.end();
                              w.end();
                          }),
                          &out));
    EXPECT_EQ(out.rfind("CHUNK_MATERIAL found!\n"), out.find("CHUNK_MATERIAL found!\n"));
    EXPECT_EQ(countOf(out, "material: unknown-chunk: "), 5) << out;
    EXPECT_NE(out.find("material: unknown-chunk: length(15) id(a010)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("material: unknown-chunk: length(8) id(a351)\n"), std::string::npos) << out;
    ASSERT_EQ(scene.getMaterialCount(), 1);
    Material* material = scene.getMaterial(0);
    char name[64] = {};
    material->getName(name, 32);
    EXPECT_STREQ(name, "Wood");
    material->getTextureName(name, 64);
    EXPECT_EQ(std::string(name), texture);
    EXPECT_NE(material->getTextureId(), 0u);
    EXPECT_EQ(material->getWidth(), 64);
    EXPECT_EQ(material->getHeight(), 32);
}

TEST(MaterialChunks, MaterialWithoutNameIsNeverLinked) {
    ChunkWriter w;
    beginSceneFile(w);
    w.chunkEmpty(CHUNK_MATERIAL);
    MeshData m;
    m.material = "";
    writeMeshObject(w, "Box", m);
    endEditor(w);
    w.end();
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, w.bytes()));
    ASSERT_EQ(scene.getMaterialCount(), 1);
    char name[32] = "untouched";
    EXPECT_EQ(scene.getMaterial(0)->getName(name, 32), 0);
    EXPECT_EQ(scene.getMesh(0)->getMaterialIndex(), -1);
    EXPECT_EQ(scene.getMaterial(0)->getTextureId(), 0u);
}

TEST(MaterialChunks, TextureMapOutsideTheTextureChunkIsNotSeen) {
    TempDir dir;
    writeJpeg(dir.file("bump.jpg"), 8, 8);
    Scene scene;
    std::string out;
    ASSERT_TRUE(loadBytes(scene, withMaterial([&](ChunkWriter& w) {
                              w.chunkStr(CHUNK_MATERIAL_NAME, "Bumpy");
                              w.begin(0xA230);
                              w.chunkStr(CHUNK_MATERIAL_TEXTURE_FILE, dir.file("bump.jpg"));
                              w.end();
                          }),
                          &out));
    EXPECT_EQ(countOf(out, "material: unknown-chunk: "), 1) << out;
    EXPECT_NE(out.find("id(a230)"), std::string::npos) << out;
    char name[64] = "untouched";
    EXPECT_EQ(scene.getMaterial(0)->getTextureName(name, 64), 0);
    EXPECT_EQ(scene.getMaterial(0)->getTextureId(), 0u);
}

TEST(MaterialChunks, EmptyTextureFileNameGivesTheFallbackImage) {
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, withMaterial([](ChunkWriter& w) {
                              w.chunkStr(CHUNK_MATERIAL_NAME, "Blank");
                              w.begin(CHUNK_MATERIAL_TEXTURE);
                              w.chunkStr(CHUNK_MATERIAL_TEXTURE_FILE, "");
                              w.end();
                          })));
    Material* material = scene.getMaterial(0);
    char name[8] = "xxxxxxx";
    EXPECT_EQ(material->getTextureName(name, 8), 1);
    EXPECT_STREQ(name, "");
    EXPECT_NE(material->getTextureId(), 0u);
    EXPECT_EQ(material->getWidth(), 2);
    EXPECT_EQ(material->getHeight(), 2);
}

TEST(MaterialChunks, SecondTextureFileReplacesTheFirst) {
    TempDir dir;
    writeJpeg(dir.file("first.jpg"), 16, 16);
    writeJpeg(dir.file("second.jpg"), 32, 8);
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, withMaterial([&](ChunkWriter& w) {
                              w.chunkStr(CHUNK_MATERIAL_NAME, "Twice");
                              w.begin(CHUNK_MATERIAL_TEXTURE);
                              w.chunkStr(CHUNK_MATERIAL_TEXTURE_FILE, dir.file("first.jpg"));
                              w.chunkStr(CHUNK_MATERIAL_TEXTURE_FILE, dir.file("second.jpg"));
                              w.end();
                          })));
    Material* material = scene.getMaterial(0);
    char name[128] = {};
    material->getTextureName(name, 128);
    EXPECT_EQ(std::string(name), dir.file("second.jpg"));
    EXPECT_EQ(material->getWidth(), 32);
    EXPECT_EQ(material->getHeight(), 8);
}

TEST(MaterialChunks, MaterialsLoadBeforeOrAfterTheirMeshes) {
    ChunkWriter w;
    beginSceneFile(w);
    writeMaterial(w, "Early", "");
    MeshData a;
    a.material = "Late";
    writeMeshObject(w, "A", a);
    MeshData b;
    b.material = "Early";
    writeMeshObject(w, "B", b);
    writeMaterial(w, "Late", "");
    endEditor(w);
    w.end();
    Scene scene;
    ASSERT_TRUE(loadBytes(scene, w.bytes()));
    EXPECT_EQ(scene.getMesh(0)->getMaterialIndex(), 1);
    EXPECT_EQ(scene.getMesh(1)->getMaterialIndex(), 0);
}

}  // namespace
