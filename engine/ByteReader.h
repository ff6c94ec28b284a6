#pragma once

#include <cstdint>
#include <string_view>

namespace engine {

// Reads little-endian integers and byte runs; every read is checked against the bytes left and
// a read past the end throws a format error.
class ByteReader {
public:
    explicit ByteReader(std::string_view data) : m_data(data) {}
    uint8_t u8() { return static_cast<uint8_t>(get(1)); }
    uint16_t u16() { return static_cast<uint16_t>(get(2)); }
    uint32_t u32() { return static_cast<uint32_t>(get(4)); }
    uint64_t u64() { return get(8); }
    std::string_view bytes(uint64_t n);
    uint64_t left() const { return m_data.size() - m_pos; }
    uint64_t pos() const { return m_pos; }
    // Throws a format error unless every byte has been read.
    void expectEnd() const;

private:
    uint64_t get(int n);
    std::string_view m_data;
    uint64_t m_pos = 0;
};

} // namespace engine
