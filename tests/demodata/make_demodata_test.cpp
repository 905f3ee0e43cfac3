// make-demodata as a program: its command line, its output set, its size and
// its repeatability.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <set>

#include "shell/schedule.h"
#include "tests/demodata/generated_content.h"
#include "tests/test_support.h"

namespace {

TEST(MakeDemodata, WrongUsagePrintsOneUsageLineAndExitsWith2) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{MAKE_DEMODATA_PATH}, std::vector<std::string>{MAKE_DEMODATA_PATH, "a", "b"}}) {
        const ToolRun run = runProgram(args);
        EXPECT_EQ(run.exitCode, 2) << args.size() - 1 << " arguments";
        EXPECT_EQ(run.err, "usage: make-demodata OUTDIR\n");
    }
}

TEST(MakeDemodata, UnwritableOutputDirectoryExitsWith1AndOneLine) {
    TempDir dir;
    std::ofstream(dir.file("plain-file")) << "not a directory";
    const ToolRun run = runProgram({MAKE_DEMODATA_PATH, dir.file("plain-file") + "/show"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(lineCount(run.err), 1) << run.err;
    EXPECT_EQ(run.err.rfind("make-demodata: ", 0), 0u) << run.err;
}

TEST(MakeDemodata, WritesTheScenesTheirTexturesAndTheMusicOnly) {
    std::set<std::string> expected = {schedule::kMusicFile};
    for (const std::string& scene : showSceneFiles()) {
        expected.insert(scene);
        LoadedScene s = loadGenerated(scene);
        for (int i = 0; i < s.scene->getMaterialCount(); ++i) expected.insert(s.scene->getMaterial(i)->getFileName());
    }
    const std::vector<std::string> written = filesUnder(generatedDir());
    EXPECT_EQ(std::set<std::string>(written.begin(), written.end()), expected);
}

TEST(MakeDemodata, StaysUnderFifteenMegabytes) {
    long long total = 0;
    for (const std::string& file : filesUnder(generatedDir())) {
        struct stat st;
        ASSERT_EQ(::stat((generatedDir() + "/" + file).c_str(), &st), 0) << file;
        total += st.st_size;
    }
    EXPECT_LT(total, 15LL * 1024 * 1024);
}

TEST(MakeDemodata, GeneratesTheSameBytesEveryTime) {
    TempDir again;
    const ToolRun run = runProgram({MAKE_DEMODATA_PATH, again.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> first = filesUnder(generatedDir());
    ASSERT_EQ(filesUnder(again.path()), first);
    for (const std::string& file : first)
        EXPECT_TRUE(readTextFile(generatedDir() + "/" + file) == readTextFile(again.file(file))) << file << " differs";
}

}  // namespace
