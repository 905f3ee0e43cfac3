#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "scene/chunk_writer.h"
#include "scene/scene.h"

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Enters a directory for as long as the object lives, then returns to the
// one it left. A directory that cannot be entered or left is a test failure.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& dir);
    ~WorkingDirectory();
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;
    bool entered() const { return entered_; }

private:
    std::string previous_;
    bool entered_ = false;
};

// A fixture whose tests run in a fresh directory of their own, so that file
// names can be relative like the ones scene files store.
class InFreshDirectory : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(inside_.entered()); }

    TempDir dir_;

private:
    WorkingDirectory inside_{dir_.path()};
};

// Makes sure an offscreen OpenGL context is current for the whole test
// program, so that materials can create textures.
void ensureGlContext();

// Loads bytes as a scene file; the loader's messages are returned in output.
bool loadBytes(Scene& scene, const std::vector<uint8_t>& bytes, std::string* output = nullptr);

std::string readTextFile(const std::string& path);

// The number of lines in text, counted as newline characters.
int lineCount(const std::string& text);

// text in single quotes for the shell, with any single quote in it kept.
std::string shellQuoted(const std::string& text);

// What a program left when it ended: its exit code (-1 when it did not exit
// normally) and what it wrote on its standard output and standard error.
struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a shell command line in directory dir, with env (NAME=value ...) put
// before it when not empty. Its two streams are caught in a temporary
// directory of the run's own, so they never land among the files a test checks.
ToolRun runCommand(const std::string& commandLine, const std::string& dir = ".", const std::string& env = "");

// Runs the program args[0] with the other arguments, each passed as it is.
ToolRun runProgram(const std::vector<std::string>& args, const std::string& dir = ".", const std::string& env = "");

// Whether check holds for a user other than root, for the tests of files
// without read permission: root reads every file whatever its permissions.
// Where this process is root, check runs in a child process that first
// becomes the user nobody, and dir, where the files lie, is opened for it to
// pass through; elsewhere check runs here. A child that cannot become nobody
// or does not end normally is a test failure.
bool holdsWithoutRoot(const std::string& dir, const std::function<bool()>& check);

// Writes a JPEG file of the given size with a simple pattern.
void writeJpeg(const std::string& path, int width, int height, bool grey = false);

// Pieces of well-formed files: a main chunk holding a version chunk and an
// editor chunk with its version chunk first; callers add the editor's content
// between openScene and closeScene.
void openScene(ChunkWriter& w);
void closeScene(ChunkWriter& w);
