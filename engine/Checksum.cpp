#include "engine/Checksum.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <new>

namespace engine {

static Checksum ToBytes(XXH128_hash_t h) {
    XXH128_canonical_t c;
    XXH128_canonicalFromHash(&c, h);
    Checksum out{};
    static_assert(sizeof c.digest == sizeof out);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = c.digest[i];
    return out;
}

Checksum ChecksumOf(std::string_view bytes) {
    return ToBytes(XXH3_128bits(bytes.data(), bytes.size()));
}

ChecksumStream::ChecksumStream() : m_state(XXH3_createState()) {
    if (!m_state)
        throw std::bad_alloc();
    XXH3_128bits_reset(static_cast<XXH3_state_t*>(m_state));
}

ChecksumStream::~ChecksumStream() {
    XXH3_freeState(static_cast<XXH3_state_t*>(m_state));
}

void ChecksumStream::Update(std::string_view bytes) {
    XXH3_128bits_update(static_cast<XXH3_state_t*>(m_state), bytes.data(), bytes.size());
}

Checksum ChecksumStream::Final() const {
    return ToBytes(XXH3_128bits_digest(static_cast<XXH3_state_t*>(m_state)));
}

} // namespace engine
