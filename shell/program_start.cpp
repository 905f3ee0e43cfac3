#include "shell/program_start.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "build_info.h"
#include "desktop/desktop.h"
#include "shell/data_places.h"

void printVersion(const char* program) { std::printf("%s %s\n", program, build_info::kVersion); }

std::string startedDirectory() {
    std::error_code gone;
    return std::filesystem::current_path(gone).string();
}

std::string fromStartedDirectory(const std::string& started, const char* program,
                                 const std::vector<std::pair<const char*, std::string*>>& paths) {
    namespace fs = std::filesystem;
    for (const auto& [option, path] : paths) {
        if (path->empty() || fs::path(*path).is_absolute()) continue;
        if (started.empty())
            return std::string("the directory ") + program + " started in is gone: give " + option +
                   " an absolute path";
        *path = (fs::path(started) / *path).string();
    }
    return "";
}

std::string enterDataFolder(const std::string& started, const char* argv0) {
    return enterFirstDataPlace(dataPlaces(started, desktop::programFolder(argv0), build_info::kInstalledDataFolder));
}

std::string findData(const std::string& started, const char* program, const char* argv0,
                     const std::vector<std::pair<const char*, std::string*>>& paths) {
    const std::string error = fromStartedDirectory(started, program, paths);
    return error.empty() ? enterDataFolder(started, argv0) : error;
}

int usageError(const char* program, const char* usage, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n%s\n", program, message.c_str(), usage);
    return kUsageExit;
}

int failure(const char* program, const std::string& message) {
    desktop::reportFailure(program, message);
    return kFailureExit;
}
