#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "geometry/texture_file.h"
#include "tests/test_support.h"

namespace {

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Texture names are relative to the working directory: each test runs in a
// fresh directory of its own.
using TextureFileTest = InFreshDirectory;

TEST_F(TextureFileTest, ExactNameIsKept) {
    writeBytes("wall.jpg", "x");
    EXPECT_EQ(resolveTexturePath("wall.jpg"), "wall.jpg");
    EXPECT_EQ(resolveTexturePath(dir_.file("wall.jpg")), dir_.file("wall.jpg"));
}

TEST_F(TextureFileTest, NameInAnotherCaseFindsTheFile) {
    writeBytes("cwall02.jpg", "x");
    EXPECT_EQ(resolveTexturePath("CWALL02.JPG"), "cwall02.jpg");
    EXPECT_EQ(resolveTexturePath("Cwall02.Jpg"), "cwall02.jpg");
}

TEST_F(TextureFileTest, BackslashesBecomeSlashes) {
    ASSERT_EQ(::mkdir("maps", 0755), 0);
    writeBytes("maps/wood.jpg", "x");
    EXPECT_EQ(resolveTexturePath("maps\\wood.jpg"), "maps/wood.jpg");
}

TEST_F(TextureFileTest, EveryComponentIsMatchedIgnoringCase) {
    ASSERT_EQ(::mkdir("maps", 0755), 0);
    ASSERT_EQ(::mkdir("maps/Stone", 0755), 0);
    writeBytes("maps/Stone/wood.jpg", "x");
    EXPECT_EQ(resolveTexturePath("MAPS\\WOOD.JPG"), "");
    EXPECT_EQ(resolveTexturePath("MAPS\\STONE\\WOOD.JPG"), "maps/Stone/wood.jpg");
    EXPECT_EQ(resolveTexturePath("MAPS/stone/Wood.jpg"), "maps/Stone/wood.jpg");
}

TEST_F(TextureFileTest, AbsoluteNameIsMatchedIgnoringCase) {
    ASSERT_EQ(::mkdir("maps", 0755), 0);
    writeBytes("maps/wood.jpg", "x");
    EXPECT_EQ(resolveTexturePath(dir_.path() + "/MAPS/WOOD.JPG"), dir_.file("maps/wood.jpg"));
}

TEST_F(TextureFileTest, ExactNameWinsOverAnotherCase) {
    writeBytes("a.jpg", "lower");
    writeBytes("A.JPG", "upper");
    EXPECT_EQ(resolveTexturePath("A.JPG"), "A.JPG");
    EXPECT_EQ(resolveTexturePath("a.jpg"), "a.jpg");
}

TEST_F(TextureFileTest, ExactNameWithBackslashWinsOverTheDirectory) {
    ASSERT_EQ(::mkdir("maps", 0755), 0);
    writeBytes("maps/wood.jpg", "x");
    writeBytes("maps\\wood.jpg", "x");
    EXPECT_EQ(resolveTexturePath("maps\\wood.jpg"), "maps\\wood.jpg");
}

TEST_F(TextureFileTest, NameMatchingNothingGivesEmpty) {
    ASSERT_EQ(::mkdir("maps", 0755), 0);
    writeBytes("maps/wood.jpg", "x");
    EXPECT_EQ(resolveTexturePath("nothing.jpg"), "");
    EXPECT_EQ(resolveTexturePath("MAPS\\NOTHING.JPG"), "");
    EXPECT_EQ(resolveTexturePath("NOWHERE\\WOOD.JPG"), "");
    EXPECT_EQ(resolveTexturePath(""), "");
}

TEST_F(TextureFileTest, ReadsARegularFileWhole) {
    std::string bytes(100000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 31);
    writeBytes("wall.jpg", bytes);
    std::vector<unsigned char> data(5, 1);
    ASSERT_TRUE(readTextureFile("wall.jpg", data));
    ASSERT_EQ(data.size(), bytes.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), bytes.begin(),
                           [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); }));
}

TEST_F(TextureFileTest, ReadsAnEmptyFileAsNoBytes) {
    writeBytes("empty.jpg", "");
    std::vector<unsigned char> data(5, 1);
    ASSERT_TRUE(readTextureFile("empty.jpg", data));
    EXPECT_TRUE(data.empty());
}

TEST_F(TextureFileTest, RefusesMissingFile) {
    std::vector<unsigned char> data(5, 1);
    EXPECT_FALSE(readTextureFile("missing.jpg", data));
    EXPECT_TRUE(data.empty());
}

TEST_F(TextureFileTest, RefusesDirectory) {
    ASSERT_EQ(::mkdir("maps", 0755), 0);
    std::vector<unsigned char> data;
    EXPECT_FALSE(readTextureFile("maps", data));
}

TEST_F(TextureFileTest, RefusesDevice) {
    std::vector<unsigned char> data;
    EXPECT_FALSE(readTextureFile("/dev/zero", data));
    EXPECT_FALSE(readTextureFile("/dev/null", data));
}

TEST_F(TextureFileTest, RefusesFifoWithoutHanging) {
    ASSERT_EQ(::mkfifo("pipe.jpg", 0644), 0);
    auto result = std::async(std::launch::async, [] {
        std::vector<unsigned char> data;
        return readTextureFile("pipe.jpg", data);
    });
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Give the blocked reader a writer that goes at once, so that it ends.
        const std::string path = dir_.file("pipe.jpg");
        while (result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
        ADD_FAILURE() << "reading the FIFO blocked until a writer came";
    }
    EXPECT_FALSE(result.get());
}

TEST_F(TextureFileTest, ReadsAFileOfExactly64Megabytes) {
    writeBytes("limit.jpg", "");
    ASSERT_EQ(::truncate("limit.jpg", off_t(kMaxTextureFileBytes)), 0);
    std::vector<unsigned char> data;
    ASSERT_TRUE(readTextureFile("limit.jpg", data));
    EXPECT_EQ(data.size(), kMaxTextureFileBytes);
}

TEST_F(TextureFileTest, RefusesAFileOf64MegabytesAndOneByte) {
    writeBytes("big.jpg", "");
    ASSERT_EQ(::truncate("big.jpg", off_t(kMaxTextureFileBytes) + 1), 0);
    std::vector<unsigned char> data;
    EXPECT_FALSE(readTextureFile("big.jpg", data));
    EXPECT_TRUE(data.empty());
}

TEST_F(TextureFileTest, RefusesUnreadableFile) {
    writeBytes("locked.jpg", "x");
    ASSERT_EQ(::chmod("locked.jpg", 0), 0);
    EXPECT_TRUE(holdsWithoutRoot(dir_.path(), [] {
        std::vector<unsigned char> data;
        return !readTextureFile("locked.jpg", data) && data.empty();
    })) << "a file without read permission was read";
}

}  // namespace
