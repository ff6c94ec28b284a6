#include "engine/ByteReader.h"

#include "engine/EngineError.h"

namespace engine {

static void Truncated() {
    throw EngineError(Errc::Format, "table file truncated or damaged");
}

std::string_view ByteReader::bytes(uint64_t n) {
    if (n > left())
        Truncated();
    std::string_view v = m_data.substr(m_pos, n);
    m_pos += n;
    return v;
}

uint64_t ByteReader::get(int n) {
    if (static_cast<uint64_t>(n) > left())
        Truncated();
    uint64_t v = 0;
    for (int i = 0; i < n; ++i)
        v |= static_cast<uint64_t>(static_cast<uint8_t>(m_data[m_pos + i])) << (8 * i);
    m_pos += n;
    return v;
}

void ByteReader::expectEnd() const {
    if (left() != 0)
        throw EngineError(Errc::Format, "table file has trailing bytes");
}

} // namespace engine
