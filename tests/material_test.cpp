#include <GL/gl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "geometry/material.h"
#include "geometry/texture_file.h"
#include "tests/test_support.h"

namespace {

GLuint glName(const Material& material) { return material.getTextureId() - 1; }

GLint levelParameter(GLuint name, GLint level, GLenum parameter) {
    glBindTexture(GL_TEXTURE_2D, name);
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
    return value;
}

GLint textureParameter(GLuint name, GLenum parameter) {
    glBindTexture(GL_TEXTURE_2D, name);
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

// Level 0 of a texture read back with tightly packed rows.
std::vector<unsigned char> textureImage(GLuint name, GLenum format, int channels) {
    const GLint width = levelParameter(name, 0, GL_TEXTURE_WIDTH);
    const GLint height = levelParameter(name, 0, GL_TEXTURE_HEIGHT);
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * size_t(channels));
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    return pixels;
}

// The stand-in for an image that cannot be loaded: a 2x2 black-and-white checker.
void expectChecker(const Material& material, const std::string& what) {
    EXPECT_EQ(material.getWidth(), 2) << what;
    EXPECT_EQ(material.getHeight(), 2) << what;
    ASSERT_NE(material.getTextureId(), 0u) << what;
    const GLuint name = glName(material);
    EXPECT_EQ(levelParameter(name, 0, GL_TEXTURE_WIDTH), 2) << what;
    EXPECT_EQ(levelParameter(name, 0, GL_TEXTURE_HEIGHT), 2) << what;
    const GLint format = levelParameter(name, 0, GL_TEXTURE_INTERNAL_FORMAT);
    EXPECT_TRUE(format == 1 || format == GL_LUMINANCE) << what << ": internal format " << format;
    const std::vector<unsigned char> pixels = textureImage(name, GL_LUMINANCE, 1);
    const std::vector<unsigned char> checker = {0, 255, 255, 0};
    EXPECT_EQ(pixels, checker) << what;
}

void expectLoadFails(const std::string& fileName, const std::string& what) {
    Material material;
    EXPECT_FALSE(material.loadTexture(fileName.c_str(), false)) << what;
    expectChecker(material, what);
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Every test runs in a fresh directory of its own, so that texture names can
// be relative like the ones that scene files store.
class MaterialTest : public InFreshDirectory {
protected:
    void SetUp() override {
        ensureGlContext();
        InFreshDirectory::SetUp();
    }
    void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }
};

TEST_F(MaterialTest, NewMaterialHasNoTexture) {
    Material material;
    EXPECT_EQ(material.getTextureId(), 0u);
    char buffer[32];
    EXPECT_EQ(material.getTextureName(buffer, 32), 0);
    EXPECT_EQ(material.getName(buffer, 32), 0);
    material.releaseTexture();
    EXPECT_EQ(material.getTextureId(), 0u);
}

TEST_F(MaterialTest, TextureNameFollowsTheNameRules) {
    Material material;
    material.setTextureName("WOOD.JPG");
    char buffer[32];
    std::fill(buffer, buffer + 32, 'x');
    EXPECT_EQ(material.getTextureName(buffer, 32), 9);
    EXPECT_STREQ(buffer, "WOOD.JPG");
    EXPECT_EQ(buffer[9], 'x');
    EXPECT_EQ(material.getTextureName(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "WOOD");
    // Setting the name loads nothing.
    EXPECT_EQ(material.getTextureId(), 0u);
}

TEST_F(MaterialTest, PrepareTextureMakesAnEmptyRepeatingLinearTexture) {
    Material material;
    EXPECT_TRUE(material.prepareTexture("later.jpg"));
    ASSERT_NE(material.getTextureId(), 0u);
    const GLuint name = glName(material);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), name);
    EXPECT_TRUE(glIsTexture(name));
    EXPECT_EQ(textureParameter(name, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(name, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(textureParameter(name, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(name, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(levelParameter(name, 0, GL_TEXTURE_WIDTH), 0);
    EXPECT_STREQ(material.getFileName(), "later.jpg");
}

TEST_F(MaterialTest, LoadsRgbJpegWithItsSize) {
    writeJpeg("wall.jpg", 256, 128);
    Material material;
    EXPECT_TRUE(material.loadTexture("wall.jpg", false));
    EXPECT_EQ(material.getWidth(), 256);
    EXPECT_EQ(material.getHeight(), 128);
    EXPECT_STREQ(material.getFileName(), "wall.jpg");
    const GLuint name = glName(material);
    EXPECT_EQ(levelParameter(name, 0, GL_TEXTURE_WIDTH), 256);
    EXPECT_EQ(levelParameter(name, 0, GL_TEXTURE_HEIGHT), 128);
    const GLint format = levelParameter(name, 0, GL_TEXTURE_INTERNAL_FORMAT);
    EXPECT_TRUE(format == 3 || format == GL_RGB) << "internal format " << format;
    // Mip-maps are built although the filter does not use them.
    EXPECT_EQ(levelParameter(name, 1, GL_TEXTURE_WIDTH), 128);
    EXPECT_EQ(levelParameter(name, 1, GL_TEXTURE_HEIGHT), 64);
    EXPECT_EQ(textureParameter(name, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(name, GL_TEXTURE_WRAP_S), GL_REPEAT);

    // writeJpeg's pattern is (7x + 3y + 60c) mod 256; the file's first row is texture row 0.
    const std::vector<unsigned char> pixels = textureImage(name, GL_RGB, 3);
    for (int y : {2, 100}) {
        for (int x : {2, 20}) {
            for (int c = 0; c < 3; ++c) {
                const int expected = (7 * x + 3 * y + 60 * c) & 0xFF;
                const int actual = pixels[(size_t(y) * 256 + size_t(x)) * 3 + size_t(c)];
                EXPECT_NEAR(actual, expected, 16) << "pixel (" << x << ", " << y << ") channel " << c;
            }
        }
    }
}

// Rows of 6 bytes must not be read with a 4-byte row alignment.
TEST_F(MaterialTest, LoadsImageWhoseRowsAreNotAMultipleOfFourBytes) {
    writeJpeg("narrow.jpg", 2, 16);
    Material material;
    EXPECT_TRUE(material.loadTexture("narrow.jpg", false));
    const GLuint name = glName(material);
    EXPECT_EQ(levelParameter(name, 0, GL_TEXTURE_WIDTH), 2);
    EXPECT_EQ(levelParameter(name, 0, GL_TEXTURE_HEIGHT), 16);
    const std::vector<unsigned char> pixels = textureImage(name, GL_RGB, 3);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 2; ++x) {
            const int expected = 7 * x + 3 * y;
            const int actual = pixels[(size_t(y) * 2 + size_t(x)) * 3];
            EXPECT_NEAR(actual, expected, 8) << "pixel (" << x << ", " << y << ")";
        }
    }
}

TEST_F(MaterialTest, SingleChannelUploadsOneComponentFromAlphaData) {
    writeJpeg("grey.jpg", 64, 32, true);
    Material material;
    EXPECT_TRUE(material.loadTexture("grey.jpg", true));
    EXPECT_EQ(material.getWidth(), 64);
    EXPECT_EQ(material.getHeight(), 32);
    const GLuint name = glName(material);
    EXPECT_EQ(levelParameter(name, 0, GL_TEXTURE_WIDTH), 64);
    EXPECT_EQ(levelParameter(name, 0, GL_TEXTURE_HEIGHT), 32);
    const GLint format = levelParameter(name, 0, GL_TEXTURE_INTERNAL_FORMAT);
    EXPECT_TRUE(format == 1 || format == GL_LUMINANCE) << "internal format " << format;
}

TEST_F(MaterialTest, SingleChannelOfAnRgbFileLoadsToo) {
    writeJpeg("colour.jpg", 16, 16);
    Material material;
    EXPECT_TRUE(material.loadTexture("colour.jpg", true));
    EXPECT_EQ(material.getWidth(), 16);
    const GLint format = levelParameter(glName(material), 0, GL_TEXTURE_INTERNAL_FORMAT);
    EXPECT_TRUE(format == 1 || format == GL_LUMINANCE) << "internal format " << format;
}

TEST_F(MaterialTest, MissingFileGivesCheckerAndFalse) {
    expectLoadFails("missing.jpg", "missing file");
    expectLoadFails("", "empty name");
    expectLoadFails("no/such/dir/x.jpg", "missing directory");
}

TEST_F(MaterialTest, UndecodableFileGivesCheckerAndFalse) {
    writeBytes("text.jpg", "this is not a JPEG image at all");
    expectLoadFails("text.jpg", "text file");
    writeBytes("empty.jpg", "");
    expectLoadFails("empty.jpg", "empty file");
    writeJpeg("whole.jpg", 64, 64);
    writeBytes("cut.jpg", readTextFile("whole.jpg").substr(0, 20));
    expectLoadFails("cut.jpg", "header cut short");
}

TEST_F(MaterialTest, UnreadableFileGivesCheckerAndFalse) {
    writeJpeg("locked.jpg", 16, 16);
    ASSERT_EQ(::chmod("locked.jpg", 0), 0);
    EXPECT_TRUE(holdsWithoutRoot(dir_.path(), [] {
        Material material;
        const bool loaded = material.loadTexture("locked.jpg", false);
        return !loaded && material.getWidth() == 2 && material.getHeight() == 2;
    })) << "a file without read permission loaded, or not as the 2x2 checker";
}

TEST_F(MaterialTest, LoadingTwiceLeavesOneTexture) {
    writeJpeg("first.jpg", 32, 32);
    writeJpeg("second.jpg", 64, 16);
    Material material;
    ASSERT_TRUE(material.loadTexture("first.jpg", false));
    const GLuint first = glName(material);
    ASSERT_TRUE(glIsTexture(first));
    ASSERT_TRUE(material.loadTexture("second.jpg", false));
    const GLuint second = glName(material);
    EXPECT_NE(second, first);
    EXPECT_FALSE(glIsTexture(first)) << "the first texture was not deleted";
    EXPECT_TRUE(glIsTexture(second));
    EXPECT_EQ(material.getWidth(), 64);
    EXPECT_EQ(levelParameter(second, 0, GL_TEXTURE_WIDTH), 64);
    EXPECT_STREQ(material.getFileName(), "second.jpg");
}

TEST_F(MaterialTest, FailedLoadAfterASuccessfulOneLeavesOnlyTheChecker) {
    writeJpeg("first.jpg", 32, 32);
    Material material;
    ASSERT_TRUE(material.loadTexture("first.jpg", false));
    const GLuint first = glName(material);
    EXPECT_FALSE(material.loadTexture("missing.jpg", false));
    EXPECT_FALSE(glIsTexture(first));
    expectChecker(material, "after the failed load");
}

TEST_F(MaterialTest, ReleaseTextureTwiceIsHarmless) {
    writeJpeg("wall.jpg", 16, 16);
    Material material;
    ASSERT_TRUE(material.loadTexture("wall.jpg", false));
    const GLuint name = glName(material);
    material.releaseTexture();
    EXPECT_EQ(material.getTextureId(), 0u);
    EXPECT_FALSE(glIsTexture(name));

    // A texture made by someone else meanwhile, possibly under the freed name,
    // must survive the second release.
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    material.releaseTexture();
    EXPECT_EQ(material.getTextureId(), 0u);
    EXPECT_TRUE(glIsTexture(other));
    glDeleteTextures(1, &other);
}

TEST_F(MaterialTest, DestructionDeletesTheTexture) {
    writeJpeg("wall.jpg", 16, 16);
    GLuint name = 0;
    {
        Material material;
        ASSERT_TRUE(material.loadTexture("wall.jpg", false));
        name = glName(material);
        ASSERT_TRUE(glIsTexture(name));
    }
    EXPECT_FALSE(glIsTexture(name));
}

TEST_F(MaterialTest, BindTextureBindsItsTexture) {
    writeJpeg("wall.jpg", 16, 16);
    Material material;
    ASSERT_TRUE(material.loadTexture("wall.jpg", false));
    glBindTexture(GL_TEXTURE_2D, 0);
    material.bindTexture();
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), glName(material));
}

TEST_F(MaterialTest, BindTextureWithoutTextureBindsANameNeverGenerated) {
    Material material;
    glBindTexture(GL_TEXTURE_2D, 0);
    material.bindTexture();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), 4294967295u);
    EXPECT_EQ(levelParameter(GLuint(bound), 0, GL_TEXTURE_WIDTH), 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

// Texture names come from scene files; the ones below must not be read like images.

TEST_F(MaterialTest, DirectoryGivesCheckerAndFalse) {
    ASSERT_EQ(::mkdir("maps.jpg", 0755), 0);
    expectLoadFails("maps.jpg", "directory");
}

TEST_F(MaterialTest, DeviceGivesCheckerAndFalse) { expectLoadFails("/dev/zero", "/dev/zero"); }

// Opens the write end of a FIFO if the test is still running after a few
// seconds, so that a reader blocked on it gets an end of file instead of
// hanging the test.
class FifoWatchdog {
public:
    explicit FifoWatchdog(std::string path) : path_(std::move(path)), thread_([this] { run(); }) {}
    ~FifoWatchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    bool fired() const { return fired_; }

private:
    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wake_.wait_for(lock, std::chrono::seconds(5), [this] { return done_; })) return;
        fired_ = true;
        while (!done_) {
            int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
            wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return done_; });
        }
    }

    std::string path_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

TEST_F(MaterialTest, FifoGivesCheckerAndFalseWithoutHanging) {
    ASSERT_EQ(::mkfifo("pipe.jpg", 0644), 0);
    bool hung;
    {
        FifoWatchdog watchdog(dir_.file("pipe.jpg"));
        Material material;
        EXPECT_FALSE(material.loadTexture("pipe.jpg", false));
        hung = watchdog.fired();
        expectChecker(material, "FIFO");
    }
    EXPECT_FALSE(hung) << "loading the FIFO blocked until a writer came";
}

// A JPEG followed by zeros: the image itself decodes, so only the size refuses it.
TEST_F(MaterialTest, FileOfMoreThan64MegabytesGivesCheckerAndFalse) {
    writeJpeg("big.jpg", 32, 32);
    ASSERT_EQ(::truncate("big.jpg", off_t(kMaxTextureFileBytes) + 1), 0);
    expectLoadFails("big.jpg", "64 MB + 1 byte");

    writeJpeg("limit.jpg", 32, 32);
    ASSERT_EQ(::truncate("limit.jpg", off_t(kMaxTextureFileBytes)), 0);
    Material material;
    EXPECT_TRUE(material.loadTexture("limit.jpg", false)) << "exactly 64 MB";
    EXPECT_EQ(material.getWidth(), 32);
}

// Regression: a name longer than 63 characters was cut to 63 and so loaded
// another file.
TEST_F(MaterialTest, NameLongerThan63CharactersIsRefusedNotCut) {
    const std::string shortName = std::string(59, 'a') + ".jpg";
    ASSERT_EQ(shortName.size(), 63u);
    writeJpeg(shortName, 16, 16);
    Material fits;
    EXPECT_TRUE(fits.loadTexture(shortName.c_str(), false)) << "63 characters";

    const std::string longName = shortName + "x";
    expectLoadFails(longName, "64 characters whose first 63 name a JPEG");
}

TEST_F(MaterialTest, NameInAnotherCaseFindsTheFile) {
    writeJpeg("cwall02.jpg", 32, 16);
    Material material;
    EXPECT_TRUE(material.loadTexture("CWALL02.JPG", false));
    EXPECT_EQ(material.getWidth(), 32);
    EXPECT_EQ(material.getHeight(), 16);
}

TEST_F(MaterialTest, BackslashedNameFindsTheFileInItsDirectory) {
    ASSERT_EQ(::mkdir("maps", 0755), 0);
    writeJpeg("maps/wood.jpg", 16, 32);
    Material material;
    EXPECT_TRUE(material.loadTexture("MAPS\\WOOD.JPG", false));
    EXPECT_EQ(material.getWidth(), 16);
    EXPECT_EQ(material.getHeight(), 32);
}

TEST_F(MaterialTest, ExactNameWinsOverAnotherCase) {
    writeJpeg("a.jpg", 16, 16);
    writeJpeg("A.JPG", 32, 8);
    Material upper;
    EXPECT_TRUE(upper.loadTexture("A.JPG", false));
    EXPECT_EQ(upper.getWidth(), 32);
    Material lower;
    EXPECT_TRUE(lower.loadTexture("a.jpg", false));
    EXPECT_EQ(lower.getWidth(), 16);
}

}  // namespace
