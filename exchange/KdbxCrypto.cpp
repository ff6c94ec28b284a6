#include "exchange/KdbxCrypto.h"

#include <argon2.h>
#include <openssl/evp.h>
#include <sodium.h>
#include <zlib.h>

#include <memory>

namespace kdbx {

namespace {

const unsigned char* Bytes(std::string_view s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}
unsigned char* Bytes(std::string& s) {
    return reinterpret_cast<unsigned char*>(s.data());
}

void Init() {
    static const bool ready = sodium_init() >= 0;
    (void)ready;
}

struct CipherFree {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using Cipher = std::unique_ptr<EVP_CIPHER_CTX, CipherFree>;

} // namespace

std::string Sha256(std::string_view data) {
    Init();
    std::string out(crypto_hash_sha256_BYTES, '\0');
    crypto_hash_sha256(Bytes(out), Bytes(data), data.size());
    return out;
}

std::string Sha512(std::string_view data) {
    Init();
    std::string out(crypto_hash_sha512_BYTES, '\0');
    crypto_hash_sha512(Bytes(out), Bytes(data), data.size());
    return out;
}

std::string HmacSha256(std::string_view key, std::string_view data) {
    Init();
    crypto_auth_hmacsha256_state state;
    crypto_auth_hmacsha256_init(&state, Bytes(key), key.size());
    crypto_auth_hmacsha256_update(&state, Bytes(data), data.size());
    std::string out(crypto_auth_hmacsha256_BYTES, '\0');
    crypto_auth_hmacsha256_final(&state, Bytes(out));
    sodium_memzero(&state, sizeof state);
    return out;
}

std::string RandomBytes(std::size_t n) {
    Init();
    std::string out(n, '\0');
    randombytes_buf(out.data(), n);
    return out;
}

std::string ChaCha20(std::string_view key, std::string_view nonce, std::string_view data,
                     std::uint32_t counter) {
    Init();
    std::string out(data.size(), '\0');
    if (key.size() == crypto_stream_chacha20_ietf_KEYBYTES &&
        nonce.size() == crypto_stream_chacha20_ietf_NONCEBYTES)
        crypto_stream_chacha20_ietf_xor_ic(Bytes(out), Bytes(data), data.size(), Bytes(nonce),
                                           counter, Bytes(key));
    return out;
}

std::string Salsa20(std::string_view key, std::string_view nonce, std::string_view data,
                    std::uint64_t counter) {
    Init();
    std::string out(data.size(), '\0');
    if (key.size() == crypto_stream_salsa20_KEYBYTES &&
        nonce.size() == crypto_stream_salsa20_NONCEBYTES)
        crypto_stream_salsa20_xor_ic(Bytes(out), Bytes(data), data.size(), Bytes(nonce), counter,
                                     Bytes(key));
    return out;
}

std::string AesCbcEncrypt(std::string_view key, std::string_view iv, std::string_view plain) {
    Cipher ctx(EVP_CIPHER_CTX_new());
    std::string out(plain.size() + 16, '\0');
    int n = 0, tail = 0;
    if (!ctx || key.size() != 32 || iv.size() != 16 ||
        EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, Bytes(key), Bytes(iv)) != 1 ||
        EVP_EncryptUpdate(ctx.get(), Bytes(out), &n, Bytes(plain),
                          static_cast<int>(plain.size())) != 1 ||
        EVP_EncryptFinal_ex(ctx.get(), Bytes(out) + n, &tail) != 1)
        return {};
    out.resize(static_cast<std::size_t>(n + tail));
    return out;
}

std::optional<std::string> AesCbcDecrypt(std::string_view key, std::string_view iv,
                                         std::string_view cipher) {
    Cipher ctx(EVP_CIPHER_CTX_new());
    std::string out(cipher.size() + 16, '\0');
    int n = 0, tail = 0;
    if (!ctx || key.size() != 32 || iv.size() != 16 || cipher.size() > (1u << 30) ||
        EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, Bytes(key), Bytes(iv)) != 1 ||
        EVP_DecryptUpdate(ctx.get(), Bytes(out), &n, Bytes(cipher),
                          static_cast<int>(cipher.size())) != 1 ||
        EVP_DecryptFinal_ex(ctx.get(), Bytes(out) + n, &tail) != 1)
        return std::nullopt;
    out.resize(static_cast<std::size_t>(n + tail));
    return out;
}

std::optional<std::string> AesKdf(std::string_view key, std::string_view seed,
                                  std::uint64_t rounds) {
    Cipher ctx(EVP_CIPHER_CTX_new());
    if (!ctx || key.size() != 32 || seed.size() != 32 ||
        EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_ecb(), nullptr, Bytes(seed), nullptr) != 1)
        return std::nullopt;
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    std::string block(key);
    std::string next(32, '\0');
    for (std::uint64_t i = 0; i < rounds; ++i) {
        int n = 0;
        if (EVP_EncryptUpdate(ctx.get(), Bytes(next), &n, Bytes(block), 32) != 1 || n != 32)
            return std::nullopt;
        block.swap(next);
    }
    std::string result = Sha256(block);
    Wipe(block);
    Wipe(next);
    return result;
}

std::optional<std::string> Argon2(std::string_view key, const Argon2Params& p) {
    const std::uint64_t kib = p.memoryBytes / 1024;
    if (p.salt.size() < 8 || kib < 8 * std::uint64_t{p.parallelism} || kib > (1u << 22) ||
        p.iterations < 1 || p.iterations > 100000 || p.parallelism < 1 || p.parallelism > 64 ||
        (p.version != 0x10 && p.version != 0x13))
        return std::nullopt;
    std::string out(32, '\0');
    argon2_context ctx{};
    ctx.out = Bytes(out);
    ctx.outlen = 32;
    std::string pwd(key);
    ctx.pwd = Bytes(pwd);
    ctx.pwdlen = static_cast<std::uint32_t>(pwd.size());
    std::string salt = p.salt;
    ctx.salt = Bytes(salt);
    ctx.saltlen = static_cast<std::uint32_t>(salt.size());
    ctx.t_cost = static_cast<std::uint32_t>(p.iterations);
    ctx.m_cost = static_cast<std::uint32_t>(kib);
    ctx.lanes = p.parallelism;
    ctx.threads = p.parallelism;
    ctx.version = p.version;
    ctx.flags = ARGON2_DEFAULT_FLAGS;
    const int rc = argon2_ctx(&ctx, p.type == Argon2Type::D ? Argon2_d : Argon2_id);
    Wipe(pwd);
    if (rc != ARGON2_OK)
        return std::nullopt;
    return out;
}

std::string Gzip(std::string_view data) {
    z_stream z{};
    if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string out(deflateBound(&z, data.size()) + 32, '\0');
    z.next_in = const_cast<Bytef*>(Bytes(data));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = Bytes(out);
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return rc == Z_STREAM_END ? out : std::string();
}

std::optional<std::string> Gunzip(std::string_view data, std::size_t maxBytes) {
    z_stream z{};
    if (inflateInit2(&z, 15 + 16) != Z_OK)
        return std::nullopt;
    z.next_in = const_cast<Bytef*>(Bytes(data));
    z.avail_in = static_cast<uInt>(data.size());
    std::string out;
    char chunk[65536];
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            break;
        out.append(chunk, sizeof chunk - z.avail_out);
        if (out.size() > maxBytes || (rc == Z_OK && z.avail_in == 0 && z.avail_out != 0))
            rc = Z_DATA_ERROR;
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

void Wipe(std::string& s) {
    sodium_memzero(s.data(), s.size());
    s.clear();
}

} // namespace kdbx
