#include "tests/demodata/generated_content.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "shell/schedule.h"
#include "tests/test_support.h"

namespace {

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

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

// Restores the working directory when it goes.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& dir) {
        char buffer[4096];
        if (::getcwd(buffer, sizeof buffer)) saved_ = buffer;
        if (::chdir(dir.c_str()) != 0) ADD_FAILURE() << "cannot enter " << dir;
    }
    ~WorkingDirectory() {
        if (!saved_.empty() && ::chdir(saved_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << saved_;
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::string saved_;
};

}  // namespace

int runProgram(const std::vector<std::string>& args, std::string* errors) {
    TempDir scratch;
    std::string command;
    for (const std::string& arg : args) command += quoted(arg) + " ";
    command += "> /dev/null 2> " + quoted(scratch.file("stderr.txt"));
    const int status = std::system(command.c_str());
    if (errors) *errors = readTextFile(scratch.file("stderr.txt"));
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string commandOutput(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

const std::string& generatedDir() {
    static TempDir dir;
    static const bool generated = [] {
        std::string errors;
        const int code = runProgram({MAKE_DEMODATA_PATH, dir.path()}, &errors);
        EXPECT_EQ(code, 0) << "make-demodata failed: " << errors;
        return code == 0;
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
