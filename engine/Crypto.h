#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// Argon2id cost; stored in a protected table's header.
struct KdfParams {
    uint64_t opsLimit = 0;
    uint64_t memLimit = 0; // bytes
    friend bool operator==(const KdfParams&, const KdfParams&) = default;
};
// The cost of newly protected tables: 64 MiB, passes tuned to about half a second.
KdfParams DefaultKdf();
// What a stored header may ask for: within four times DefaultKdf() in memory, passes and
// their product. More is a damaged or hostile file.
bool KdfParamsAcceptable(const KdfParams& p);

using Salt = std::array<uint8_t, 16>;
using Nonce = std::array<uint8_t, 24>;
using Digest = std::array<uint8_t, 32>;

// A 256-bit key in memory locked against swapping, between guard pages; wiped when it goes.
class SecretKey {
public:
    SecretKey();
    ~SecretKey();
    SecretKey(const SecretKey& other);
    SecretKey& operator=(const SecretKey& other);
    uint8_t* data() { return m_bytes; }
    const uint8_t* data() const { return m_bytes; }

private:
    uint8_t* m_bytes;
};

// A password's bytes in memory locked against swapping, wiped when it goes (or is replaced).
class SecretText {
public:
    SecretText() = default;
    explicit SecretText(std::string_view text);
    ~SecretText();
    SecretText(SecretText&& other) noexcept;
    SecretText& operator=(SecretText&& other) noexcept;
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;
    std::string_view view() const { return {m_bytes, m_size}; }

private:
    char* m_bytes = nullptr;
    size_t m_size = 0;
};

void EnsureSodium();
void RandomBytes(void* out, size_t n);
void Wipe(std::string& s);
// false when the derivation failed (out of memory).
bool DeriveKey(std::string_view password, const Salt& salt, const KdfParams& p, SecretKey& key);
// Derivations attempted since the program started (each costs about half a second).
uint64_t KeyDerivationCount();
// XChaCha20-Poly1305 with a fresh random nonce; the result is 16 bytes longer.
std::string Seal(std::string_view plain, std::string_view ad, const SecretKey& key, Nonce& nonce);
// false for a wrong key or tampered bytes.
bool Unseal(std::string_view cipher, std::string_view ad, const Nonce& nonce, const SecretKey& key,
            std::string& plain);
// Decrypts cipher-and-tag in place and drops the tag; false (bytes unspecified) for a wrong key
// or tampered bytes.
bool UnsealInPlace(std::string& sealed, std::string_view ad, const Nonce& nonce,
                   const SecretKey& key);
Digest Blake2b(std::string_view bytes);
// Whether two secrets are equal, compared in constant time.
bool SameSecret(std::string_view a, std::string_view b);

// A data key wrapped by a key-encryption key: nonce, sealed key and tag.
using WrappedKey = std::array<uint8_t, 24 + 32 + 16>;
WrappedKey WrapKey(const SecretKey& dataKey, const SecretKey& kek, std::string_view ad);
// false for a wrong key-encryption key or a tampered slot; dataKey is then unchanged.
bool UnwrapKey(const WrappedKey& slot, const SecretKey& kek, std::string_view ad,
               SecretKey& dataKey);

// A recovery secret: 128 random bits, held in the first bytes of a SecretKey.
constexpr size_t kRecoverySize = 16;
// The key-encryption key of a recovery secret: a keyed hash, as 128 random bits need no
// stretching.
void RecoveryKek(const SecretKey& recovery, SecretKey& kek);

} // namespace engine
