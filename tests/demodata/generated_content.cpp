#include "tests/demodata/generated_content.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "shell/schedule.h"
#include "tests/test_support.h"

namespace {

void collect(const std::string& root, const std::string& relative, std::vector<std::string>& files) {
    DIR* dir = ::opendir((root + "/" + relative).c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = relative.empty() ? name : relative + "/" + name;
        struct stat st;
        if (::stat((root + "/" + path).c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) collect(root, path, files);
        else if (S_ISREG(st.st_mode)) files.push_back(path);
    }
    ::closedir(dir);
}

}  // namespace

const std::string& generatedDir() {
    // ctest generates the content once for every test (the fixture
    // demodata_generated) and leaves the stamp beside it when it succeeded;
    // a test program run by itself generates its own.
    static const std::string shared = GENERATED_DIR;
    if (std::ifstream(shared + ".stamp")) return shared;
    static TempDir dir;
    static const bool generated = [] {
        const ToolRun run = runProgram({MAKE_DEMODATA_PATH, dir.path()});
        EXPECT_EQ(run.exitCode, 0) << "make-demodata failed: " << run.err;
        return run.exitCode == 0;
    }();
    (void)generated;
    return dir.path();
}

const std::vector<std::string>& showSceneFiles() {
    static const std::vector<std::string> files(std::begin(schedule::kSceneFiles), std::end(schedule::kSceneFiles));
    return files;
}

LoadedScene loadGenerated(const std::string& fileName) {
    ensureGlContext();
    LoadedScene result;
    result.scene = std::make_unique<Scene>();
    WorkingDirectory inside(generatedDir());
    testing::internal::CaptureStdout();
    result.loaded = result.scene->load(fileName.c_str());
    std::fflush(stdout);
    result.output = testing::internal::GetCapturedStdout();
    return result;
}

std::vector<std::string> filesUnder(const std::string& dir) {
    std::vector<std::string> files;
    collect(dir, "", files);
    std::sort(files.begin(), files.end());
    return files;
}
