// The titles library: the glyphs a timing's words may use, the title scenes
// it builds, and the generator's scenes that are built with it.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/title_plans.h"
#include "tests/demodata/generated_content.h"
#include "titles/letters.h"
#include "titles/title_scene.h"

namespace {

// Every box has six sides of four vertices each.
constexpr size_t kVerticesPerBox = 24;

size_t boxesOf(const std::string& text) {
    NamedMesh mesh;
    appendText(mesh, text, TextLayout{});
    return mesh.vertices.size() / kVerticesPerBox;
}

TEST(Letters, MakesLettersDigitsSignsAndSpaceOnly) {
    for (char c : std::string("AZaz09 .,!?-'")) EXPECT_TRUE(hasGlyph(c)) << "'" << c << "'";
    for (char c : std::string("#_:/\"@[`{~\t")) EXPECT_FALSE(hasGlyph(c)) << "'" << c << "'";
    EXPECT_FALSE(hasGlyph('\xc3'));
    EXPECT_FALSE(hasGlyph('\0'));
    NamedMesh mesh;
    EXPECT_THROW(appendText(mesh, "A_B", TextLayout{}), std::invalid_argument);
}

TEST(Letters, DigitsAndSignsAreOneBoxPerRunOfCells) {
    // "1": a run on each of its seven rows; "8": the sides of its two loops
    // are two runs a row; "-": one bar; "'" and ".": three and two runs.
    EXPECT_EQ(boxesOf("1"), 7u);
    EXPECT_EQ(boxesOf("8"), 11u);
    EXPECT_EQ(boxesOf("0"), 13u);
    EXPECT_EQ(boxesOf("-"), 1u);
    EXPECT_EQ(boxesOf("'"), 3u);
    EXPECT_EQ(boxesOf("."), 2u);
    EXPECT_EQ(boxesOf("?"), 7u);
    EXPECT_EQ(boxesOf("a"), boxesOf("A"));
    EXPECT_EQ(boxesOf("A B"), boxesOf("AB"));
}

TEST(Letters, ADigitStandsInTheNextLettersPlace) {
    NamedMesh mesh;
    appendText(mesh, "-7", TextLayout{});
    // The bar of "-" is the first box; "7"'s top bar starts one letter's
    // advance (six cells of 10) along.
    float left = 1e9f;
    for (size_t i = kVerticesPerBox; i < mesh.vertices.size(); ++i) left = std::min(left, mesh.vertices[i].x);
    EXPECT_FLOAT_EQ(left, 60.0f);
    EXPECT_GE(mesh.vertices[0].z, 30.0f) << "the bar of \"-\" stands from the middle row up";
}

TEST(TitleScene, RefusesAWordThatDrawsNothingOrHasNoGlyph) {
    EXPECT_THROW(titleScene("   ", TitleStyle{TitleLayout::Row, 0, false}, 3.0f, kFlightLens, "t.jpg"),
                 std::invalid_argument);
    EXPECT_THROW(titleScene("A#", TitleStyle{TitleLayout::Row, 0, false}, 3.0f, kFlightLens, "t.jpg"),
                 std::invalid_argument);
}

TEST(TitleScene, TheFlightLastsTheSecondsGivenAndALongerWordIsSeenFromFurtherBack) {
    const TitleStyle style = titleStyleOf(2);
    const SceneData shortFlight = titleScene("GO", style, 3.0f, kFlightLens, "t.jpg");
    const SceneData longFlight = titleScene("GROUP 42!", style, 9.0f, kFlightLens, "t.jpg");
    ASSERT_EQ(shortFlight.cameras.size(), 1u);
    ASSERT_EQ(longFlight.cameras.size(), 1u);
    EXPECT_EQ(shortFlight.framesEnd, 90u);
    EXPECT_EQ(longFlight.framesEnd, 270u);
    EXPECT_FLOAT_EQ(shortFlight.cameras[0].endPosition.x - shortFlight.cameras[0].position.x, 300.0f);
    EXPECT_FLOAT_EQ(longFlight.cameras[0].endPosition.x - longFlight.cameras[0].position.x, 900.0f);
    EXPECT_LT(longFlight.cameras[0].position.y, shortFlight.cameras[0].position.y);
    EXPECT_EQ(shortFlight.meshes.size(), 2u) << "segment 2's title is underlined";
    EXPECT_EQ(shortFlight.materials[0].textureFile, "t.jpg");
}

std::uint64_t fingerprint(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3u;
    return bytes.empty() ? 0 : hash;
}

TEST(GeneratedScenes, AreTheBytesTheyWereBeforeTheTitlesBecameALibrary) {
    const struct {
        const char* file;
        std::uint64_t fingerprint;
    } scenes[] = {
        {"direradeduziv.3ds", 0x7d30c6a7a77aa542u}, {"portal.3ds", 0xa916518898c4d1e4u},
        {"quickbite.3ds", 0x3aa1b3f50b6de40u},      {"radidar.3ds", 0x5c37394e52c0c436u},
        {"ranko.3ds", 0x643340cf71eff346u},         {"slutt.3ds", 0x5e5d281ade2410a6u},
        {"sphere.3ds", 0xc565868037f78f79u},        {"test.3ds", 0xe1f2d29abcfda601u},
        {"test2.3ds", 0x8b1b98aca7e6f700u},         {"tornvik.3ds", 0x3a502c058af4df9eu},
        {"torus2.3ds", 0xde52c83e90645485u},        {"torus2_.3ds", 0x4879520c068fea57u},
        {"velmora.3ds", 0xa43fa02fecedacfcu},       {"zengreet.3ds", 0xefc76a54767d2e2au},
        {"zentrik.3ds", 0xcbcda81d0ad41048u},
    };
    for (const auto& scene : scenes)
        EXPECT_EQ(fingerprint(generatedDir() + "/" + schedule::kDataFolder + "/" + scene.file), scene.fingerprint)
            << scene.file;
}

}  // namespace
