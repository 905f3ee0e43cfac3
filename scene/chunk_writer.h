#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes a tree of 3D Studio chunks into memory with computed lengths:
//
//   ChunkWriter w;
//   w.begin(CHUNK_MAIN);
//     w.begin(CHUNK_VERSION); w.u32(3); w.end();
//   w.end();
//   w.save("box.3ds");
//
// endWithLength writes a chosen, possibly wrong, length instead, so tests
// can build malformed files.
class ChunkWriter {
public:
    void begin(uint16_t id);
    void end();
    void endWithLength(uint32_t length);

    void u8(uint8_t v);
    void u16(uint16_t v);
    void i16(int16_t v) { u16(uint16_t(v)); }
    void u32(uint32_t v);
    void f32(float v);
    // The text and its terminator.
    void str(const std::string& text);
    void raw(const void* data, size_t size);

    // A whole chunk holding one u32, one string or nothing.
    void chunkU32(uint16_t id, uint32_t v);
    void chunkStr(uint16_t id, const std::string& text);
    void chunkEmpty(uint16_t id);

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    // Open chunks are not closed: what is written is what the bytes hold.
    bool save(const std::string& path) const;

private:
    std::vector<uint8_t> bytes_;
    std::vector<size_t> open_;
};
