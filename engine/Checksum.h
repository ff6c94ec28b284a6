#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace engine {

// XXH3-128: detects damage in table files at memory speed. Not a defence against a deliberate
// change; protected tables get that from their encryption.
using Checksum = std::array<uint8_t, 16>;

Checksum ChecksumOf(std::string_view bytes);

// The checksum of bytes given piece by piece.
class ChecksumStream {
public:
    ChecksumStream();
    ~ChecksumStream();
    ChecksumStream(const ChecksumStream&) = delete;
    ChecksumStream& operator=(const ChecksumStream&) = delete;
    void Update(std::string_view bytes);
    Checksum Final() const;

private:
    void* m_state;
};

} // namespace engine
