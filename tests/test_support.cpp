#include "tests/test_support.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "offscreen/offscreen_context.h"

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/orvel-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
    path_ = name.data();
}

TempDir::~TempDir() {
    std::string command = "rm -rf " + shellQuoted(path_);
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "cannot remove %s\n", path_.c_str());
}

WorkingDirectory::WorkingDirectory(const std::string& dir) {
    char buffer[4096];
    if (!::getcwd(buffer, sizeof buffer)) {
        ADD_FAILURE() << "cannot tell the working directory, so " << dir << " is not entered";
        return;
    }
    previous_ = buffer;
    entered_ = ::chdir(dir.c_str()) == 0;
    if (!entered_) ADD_FAILURE() << "cannot enter " << dir;
}

WorkingDirectory::~WorkingDirectory() {
    if (entered_ && ::chdir(previous_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previous_;
}

void ensureGlContext() {
    static OffscreenContext context(64, 64);
    ASSERT_TRUE(context.ok()) << context.error();
}

std::string readTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int lineCount(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

ToolRun runCommand(const std::string& commandLine, const std::string& dir, const std::string& env) {
    TempDir streams;
    const std::string out = streams.file("stdout.txt");
    const std::string err = streams.file("stderr.txt");
    // The subshell takes the redirections for the whole line, so that one
    // that redirects a stream of its own still writes into the files.
    const std::string command = "(cd " + shellQuoted(dir) + " && " + (env.empty() ? "" : env + " ") + commandLine +
                                ") >" + shellQuoted(out) + " 2>" + shellQuoted(err);
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readTextFile(out);
    run.err = readTextFile(err);
    return run;
}

ToolRun runProgram(const std::vector<std::string>& args, const std::string& dir, const std::string& env) {
    std::string commandLine;
    for (const std::string& arg : args) commandLine += (commandLine.empty() ? "" : " ") + shellQuoted(arg);
    return runCommand(commandLine, dir, env);
}

bool loadBytes(Scene& scene, const std::vector<uint8_t>& bytes, std::string* output) {
    ensureGlContext();
    std::FILE* stream = ::fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb");
    if (!stream) {
        ADD_FAILURE() << "fmemopen failed";
        return false;
    }
    // The loader's progress messages are captured even when nobody looks, to keep test logs short.
    testing::internal::CaptureStdout();
    bool loaded = scene.loadStream(stream);
    std::fflush(stdout);
    std::string printed = testing::internal::GetCapturedStdout();
    if (output) *output = printed;
    return loaded;
}

bool holdsWithoutRoot(const std::string& dir, const std::function<bool()>& check) {
    if (::geteuid() != 0) return check();
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) {
        ADD_FAILURE() << "no user nobody to run the check as";
        return false;
    }
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    if (::chmod(dir.c_str(), 0711) != 0) {
        ADD_FAILURE() << "cannot let others pass through " << dir;
        return false;
    }
    // Nothing buffered is written twice, by the child as well.
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        ADD_FAILURE() << "cannot start a child process";
        return false;
    }
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        ADD_FAILURE() << "the check as the user nobody did not end normally (status " << status << ")";
        return false;
    }
    if (WEXITSTATUS(status) == 2) {
        ADD_FAILURE() << "cannot become the user nobody";
        return false;
    }
    return WEXITSTATUS(status) == 0;
}

void writeJpeg(const std::string& path, int width, int height, bool grey) {
    const int channels = grey ? 1 : 3;
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * size_t(channels));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels) + size_t(c)] =
                    static_cast<unsigned char>((x * 7 + y * 3 + c * 60) & 0xFF);
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    int rc = tjCompress2(handle, pixels.data(), width, 0, height, grey ? TJPF_GRAY : TJPF_RGB, &jpeg, &size,
                         grey ? TJSAMP_GRAY : TJSAMP_444, 90, 0);
    tjDestroy(handle);
    ASSERT_EQ(rc, 0);
    std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(jpeg, tjFree);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(jpeg), std::streamsize(size));
}

void openScene(ChunkWriter& w) {
    w.begin(CHUNK_MAIN);
    w.chunkU32(CHUNK_VERSION, 3);
    w.begin(CHUNK_EDITOR);
    w.chunkU32(CHUNK_EDITOR_VERSION, 3);
}

void closeScene(ChunkWriter& w) {
    w.end();
    w.end();
}
