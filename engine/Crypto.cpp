#include "engine/Crypto.h"

#include "engine/EngineError.h"

#include <sodium.h>

#include <atomic>
#include <cstring>
#include <new>
#include <utility>

namespace engine {

KdfParams DefaultKdf() {
    return {20, 64ull * 1024 * 1024};
}

bool KdfParamsAcceptable(const KdfParams& p) {
    // A file may ask for at most four times the program's own memory, passes and total work,
    // so a crafted header cannot make each password try cost seconds or a gigabyte.
    const KdfParams own = DefaultKdf();
    constexpr uint64_t kFactor = 4;
    if (p.opsLimit < crypto_pwhash_OPSLIMIT_MIN || p.opsLimit > kFactor * own.opsLimit ||
        p.memLimit < crypto_pwhash_MEMLIMIT_MIN || p.memLimit > kFactor * own.memLimit)
        return false;
    return p.opsLimit * p.memLimit <= kFactor * own.opsLimit * own.memLimit;
}

namespace {

// Locked memory (a failed lock still gives the memory: locking is best effort); zeroed.
void* LockedBytes(size_t n) {
    EnsureSodium();
    void* p = sodium_malloc(n);
    if (p == nullptr)
        throw std::bad_alloc();
    sodium_memzero(p, n);
    return p;
}

} // namespace

SecretKey::SecretKey() : m_bytes(static_cast<uint8_t*>(LockedBytes(32))) {}

SecretKey::~SecretKey() {
    sodium_free(m_bytes); // wipes
}

SecretKey::SecretKey(const SecretKey& other) : SecretKey() {
    std::memcpy(m_bytes, other.m_bytes, 32);
}

SecretKey& SecretKey::operator=(const SecretKey& other) {
    std::memmove(m_bytes, other.m_bytes, 32);
    return *this;
}

SecretText::SecretText(std::string_view text)
    : m_bytes(static_cast<char*>(LockedBytes(text.size() + 1))), m_size(text.size()) {
    std::memcpy(m_bytes, text.data(), text.size());
}

SecretText::~SecretText() {
    if (m_bytes != nullptr)
        sodium_free(m_bytes); // wipes
}

SecretText::SecretText(SecretText&& other) noexcept
    : m_bytes(std::exchange(other.m_bytes, nullptr)), m_size(std::exchange(other.m_size, 0)) {}

SecretText& SecretText::operator=(SecretText&& other) noexcept {
    if (this != &other) {
        if (m_bytes != nullptr)
            sodium_free(m_bytes);
        m_bytes = std::exchange(other.m_bytes, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void EnsureSodium() {
    static const bool ok = sodium_init() >= 0;
    if (!ok)
        throw EngineError(Errc::Io, "cryptography library failed to start");
}

void RandomBytes(void* out, size_t n) {
    EnsureSodium();
    randombytes_buf(out, n);
}

void Wipe(std::string& s) {
    if (!s.empty())
        sodium_memzero(s.data(), s.size());
    s.clear();
}

static std::atomic<uint64_t> g_derivations{0};

uint64_t KeyDerivationCount() {
    return g_derivations.load();
}

bool DeriveKey(std::string_view password, const Salt& salt, const KdfParams& p, SecretKey& key) {
    EnsureSodium();
    ++g_derivations;
    if (!KdfParamsAcceptable(p))
        return false;
    return crypto_pwhash(key.data(), 32, password.data(), password.size(), salt.data(), p.opsLimit,
                         static_cast<size_t>(p.memLimit), crypto_pwhash_ALG_ARGON2ID13) == 0;
}

std::string Seal(std::string_view plain, std::string_view ad, const SecretKey& key, Nonce& nonce) {
    RandomBytes(nonce.data(), nonce.size());
    std::string out(plain.size() + crypto_aead_xchacha20poly1305_ietf_ABYTES, '\0');
    unsigned long long len = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(reinterpret_cast<unsigned char*>(out.data()), &len,
                                               reinterpret_cast<const unsigned char*>(plain.data()),
                                               plain.size(),
                                               reinterpret_cast<const unsigned char*>(ad.data()),
                                               ad.size(), nullptr, nonce.data(), key.data());
    out.resize(len);
    return out;
}

bool Unseal(std::string_view cipher, std::string_view ad, const Nonce& nonce, const SecretKey& key,
            std::string& plain) {
    EnsureSodium();
    if (cipher.size() < crypto_aead_xchacha20poly1305_ietf_ABYTES)
        return false;
    plain.assign(cipher.size() - crypto_aead_xchacha20poly1305_ietf_ABYTES, '\0');
    unsigned long long len = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            reinterpret_cast<unsigned char*>(plain.data()), &len, nullptr,
            reinterpret_cast<const unsigned char*>(cipher.data()), cipher.size(),
            reinterpret_cast<const unsigned char*>(ad.data()), ad.size(), nonce.data(),
            key.data()) != 0) {
        plain.clear();
        return false;
    }
    plain.resize(len);
    return true;
}

bool UnsealInPlace(std::string& sealed, std::string_view ad, const Nonce& nonce,
                   const SecretKey& key) {
    EnsureSodium();
    if (sealed.size() < crypto_aead_xchacha20poly1305_ietf_ABYTES)
        return false;
    const size_t length = sealed.size() - crypto_aead_xchacha20poly1305_ietf_ABYTES;
    auto* bytes = reinterpret_cast<unsigned char*>(sealed.data());
    if (crypto_aead_xchacha20poly1305_ietf_decrypt_detached(
            bytes, nullptr, bytes, length, bytes + length,
            reinterpret_cast<const unsigned char*>(ad.data()), ad.size(), nonce.data(),
            key.data()) != 0)
        return false;
    sealed.resize(length);
    return true;
}

Digest Blake2b(std::string_view bytes) {
    EnsureSodium();
    Digest d{};
    crypto_generichash(d.data(), d.size(), reinterpret_cast<const unsigned char*>(bytes.data()),
                       bytes.size(), nullptr, 0);
    return d;
}

bool SameSecret(std::string_view a, std::string_view b) {
    // Digests of one length compared in full: the time taken does not show where, or
    // whether, the secrets differ.
    const Digest da = Blake2b(a);
    const Digest db = Blake2b(b);
    return sodium_memcmp(da.data(), db.data(), da.size()) == 0;
}

WrappedKey WrapKey(const SecretKey& dataKey, const SecretKey& kek, std::string_view ad) {
    WrappedKey slot{};
    uint8_t* nonce = slot.data();
    RandomBytes(nonce, 24);
    unsigned long long len = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(slot.data() + 24, &len, dataKey.data(), 32,
                                               reinterpret_cast<const unsigned char*>(ad.data()),
                                               ad.size(), nullptr, nonce, kek.data());
    return slot;
}

bool UnwrapKey(const WrappedKey& slot, const SecretKey& kek, std::string_view ad,
               SecretKey& dataKey) {
    EnsureSodium();
    SecretKey plain;
    unsigned long long len = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(
            plain.data(), &len, nullptr, slot.data() + 24, slot.size() - 24,
            reinterpret_cast<const unsigned char*>(ad.data()), ad.size(), slot.data(),
            kek.data()) != 0 ||
        len != 32)
        return false;
    dataKey = plain;
    return true;
}

void RecoveryKek(const SecretKey& recovery, SecretKey& kek) {
    EnsureSodium();
    static const unsigned char kContext[] = "Quillory recovery key v1";
    crypto_generichash(kek.data(), 32, recovery.data(), kRecoverySize, kContext,
                       sizeof kContext - 1);
}

} // namespace engine
