#include "scene/chunk_writer.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

void ChunkWriter::begin(uint16_t id) {
    open_.push_back(bytes_.size());
    u16(id);
    u32(0);
}

void ChunkWriter::end() {
    if (open_.empty()) throw std::logic_error("ChunkWriter::end without begin");
    endWithLength(uint32_t(bytes_.size() - open_.back()));
}

void ChunkWriter::endWithLength(uint32_t length) {
    if (open_.empty()) throw std::logic_error("ChunkWriter::endWithLength without begin");
    size_t at = open_.back() + 2;
    open_.pop_back();
    for (int i = 0; i < 4; ++i) bytes_[at + size_t(i)] = uint8_t(length >> (8 * i));
}

void ChunkWriter::u8(uint8_t v) { bytes_.push_back(v); }

void ChunkWriter::u16(uint16_t v) {
    bytes_.push_back(uint8_t(v));
    bytes_.push_back(uint8_t(v >> 8));
}

void ChunkWriter::u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(v >> (8 * i)));
}

void ChunkWriter::f32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u32(bits);
}

void ChunkWriter::str(const std::string& text) {
    raw(text.data(), text.size());
    u8(0);
}

void ChunkWriter::raw(const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
}

void ChunkWriter::chunkU32(uint16_t id, uint32_t v) {
    begin(id);
    u32(v);
    end();
}

void ChunkWriter::chunkStr(uint16_t id, const std::string& text) {
    begin(id);
    str(text);
    end();
}

void ChunkWriter::chunkEmpty(uint16_t id) {
    begin(id);
    end();
}

bool ChunkWriter::save(const std::string& path) const {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file) return false;
    bool ok = std::fwrite(bytes_.data(), 1, bytes_.size(), file.get()) == bytes_.size();
    return std::fclose(file.release()) == 0 && ok;
}
