#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

// A file read strictly in order, through a buffer of our own: the chunk
// readers make many 1-, 2- and 4-byte reads.
class InputStream {
public:
    // Takes ownership of file.
    explicit InputStream(std::FILE* file);
    ~InputStream();
    InputStream(const InputStream&) = delete;
    InputStream& operator=(const InputStream&) = delete;

    // Copies up to n bytes into dst; returns how many were obtained (fewer only at end of file).
    std::size_t read(void* dst, std::size_t n);
    // Reads past up to n bytes; returns how many were passed.
    std::size_t skip(std::size_t n);

private:
    bool refill();

    std::FILE* file_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};
