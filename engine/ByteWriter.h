#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// Appends little-endian integers and raw bytes.
class ByteWriter {
public:
    void u8(uint8_t v) { m_out.push_back(static_cast<char>(v)); }
    void u16(uint16_t v) { put(v, 2); }
    void u32(uint32_t v) { put(v, 4); }
    void u64(uint64_t v) { put(v, 8); }
    void bytes(std::string_view b) { m_out.append(b); }
    std::string& out() { return m_out; }
    size_t size() const { return m_out.size(); }

private:
    void put(uint64_t v, int n) {
        for (int i = 0; i < n; ++i)
            m_out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    std::string m_out;
};

} // namespace engine
