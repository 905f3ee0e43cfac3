#include "geometry/texture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// How a texture file is opened for reading. Non-blocking, so that a file
// swapped for a pipe after the check cannot hang the open; not inherited by
// programs started later. Windows has neither pipes in its file system nor
// such inheritance, and its C runtime reads a file as text (line ends and
// an end-of-file byte changed) unless told it is binary.
#ifdef O_BINARY
constexpr int kReadFlags = O_RDONLY | O_BINARY;
#else
constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
#endif

// As stat() would: the path leads to something, following links.
bool exists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::path(path), error);
}

// Letters compared as in the C locale, where only A to Z have another case.
bool equalIgnoringCase(const std::string& a, const std::string& b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// The entry of directory dir whose name equals component but for case, or
// an empty string. An entry whose name has no narrow spelling (possible on
// Windows) cannot match and is passed over.
std::string findEntryIgnoringCase(const std::string& dir, const std::string& component) {
    std::error_code error;
    fs::directory_iterator entries(fs::path(dir.empty() ? "." : dir), error);
    for (const fs::directory_iterator end; !error && entries != end; entries.increment(error)) {
        std::string name;
        try {
            name = entries->path().filename().string();
        } catch (const std::system_error&) {
            continue;
        }
        if (equalIgnoringCase(name, component)) return name;
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
    // The size as a 64-bit count everywhere (Windows' stat() holds 32 bits).
    std::error_code error;
    if (!fs::is_regular_file(fs::path(path), error)) return false;
    const std::uintmax_t size = fs::file_size(fs::path(path), error);
    if (error || size > kMaxTextureFileBytes) return false;
    int fd = ::open(path.c_str(), kReadFlags);
    if (fd < 0) return false;
    std::unique_ptr<int, void (*)(int*)> closer(&fd, [](int* f) { ::close(*f); });
    // What was opened is checked again: the name may lead elsewhere by now.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    data.resize(std::size_t(size));
    std::size_t done = 0;
    // The count as unsigned, the type Windows' read() takes; at most 64 MB.
    while (done < data.size()) {
        const auto got = ::read(fd, data.data() + done, unsigned(data.size() - done));
        if (got <= 0) break;
        done += std::size_t(got);
    }
    data.resize(done);
    return true;
}
