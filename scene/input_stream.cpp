#include "scene/input_stream.h"

#include <cstring>

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

InputStream::InputStream(std::FILE* file) : file_(file), buffer_(new unsigned char[kBufferSize]) {}

InputStream::~InputStream() {
    if (file_) std::fclose(file_);
}

bool InputStream::refill() {
    pos_ = 0;
    end_ = file_ ? std::fread(buffer_.get(), 1, kBufferSize, file_) : 0;
    return end_ > 0;
}

std::size_t InputStream::read(void* dst, std::size_t n) {
    unsigned char* out = static_cast<unsigned char*>(dst);
    std::size_t done = 0;
    while (done < n) {
        if (pos_ == end_ && !refill()) break;
        std::size_t take = end_ - pos_;
        if (take > n - done) take = n - done;
        std::memcpy(out + done, buffer_.get() + pos_, take);
        pos_ += take;
        done += take;
    }
    return done;
}

std::size_t InputStream::skip(std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
        if (pos_ == end_ && !refill()) break;
        std::size_t take = end_ - pos_;
        if (take > n - done) take = n - done;
        pos_ += take;
        done += take;
    }
    return done;
}
