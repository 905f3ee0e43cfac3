#include "geometry/texture_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

namespace {

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The entry of directory dir whose name equals component but for case, or
// an empty string.
std::string findEntryIgnoringCase(const std::string& dir, const std::string& component) {
    std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(dir.empty() ? "." : dir.c_str()), ::closedir);
    if (!handle) return {};
    while (const dirent* entry = ::readdir(handle.get())) {
        if (::strcasecmp(entry->d_name, component.c_str()) == 0) return entry->d_name;
    }
    return {};
}

std::string matchIgnoringCase(const std::string& path) {
    std::string result;
    size_t pos = 0;
    if (!path.empty() && path[0] == '/') {
        result = "/";
        pos = 1;
    }
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos) next = path.size();
        std::string component = path.substr(pos, next - pos);
        pos = next + 1;
        if (component.empty()) continue;
        std::string candidate = result + component;
        if (component != "." && component != ".." && !exists(candidate)) {
            std::string found = findEntryIgnoringCase(result, component);
            if (found.empty()) return {};
            candidate = result + found;
        }
        result = candidate;
        if (next < path.size()) result += '/';
    }
    return exists(result) ? result : std::string();
}

}  // namespace

std::string resolveTexturePath(const std::string& name) {
    if (name.empty()) return {};
    if (exists(name)) return name;
    std::string slashed = name;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    if (slashed != name && exists(slashed)) return slashed;
    return matchIgnoringCase(slashed);
}

bool readTextureFile(const std::string& path, std::vector<unsigned char>& data) {
    data.clear();
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // Non-blocking, so that a file swapped for a pipe after the check cannot hang the open.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    std::unique_ptr<int, void (*)(int*)> closer(&fd, [](int* f) { ::close(*f); });
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        std::size_t(st.st_size) > kMaxTextureFileBytes) {
        return false;
    }
    data.resize(std::size_t(st.st_size));
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t got = ::read(fd, data.data() + done, data.size() - done);
        if (got <= 0) break;
        done += std::size_t(got);
    }
    data.resize(done);
    return true;
}
