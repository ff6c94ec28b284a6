#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The primitives the KDBX formats are built from, over byte strings. Nothing here throws;
// a failure is an empty optional or false.
namespace kdbx {

std::string Sha256(std::string_view data);
std::string Sha512(std::string_view data);
std::string HmacSha256(std::string_view key, std::string_view data);
std::string RandomBytes(std::size_t n);

// ChaCha20 as RFC 7539 (12-byte nonce), starting at block `counter`: data XOR keystream.
std::string ChaCha20(std::string_view key, std::string_view nonce, std::string_view data,
                     std::uint32_t counter = 0);
// XSalsa's plain sibling with an 8-byte nonce, for older inner streams.
std::string Salsa20(std::string_view key, std::string_view nonce, std::string_view data,
                    std::uint64_t counter = 0);

// AES-256-CBC with PKCS#7 padding; decrypting fails on a wrong key (bad padding).
std::string AesCbcEncrypt(std::string_view key, std::string_view iv, std::string_view plain);
std::optional<std::string> AesCbcDecrypt(std::string_view key, std::string_view iv,
                                         std::string_view cipher);
// The AES key transformation: both 16-byte halves of key encrypted `rounds` times with seed
// (AES-256-ECB), then SHA-256.
std::optional<std::string> AesKdf(std::string_view key, std::string_view seed,
                                  std::uint64_t rounds);

enum class Argon2Type { D, Id };
struct Argon2Params {
    Argon2Type type = Argon2Type::Id;
    std::string salt;
    std::uint64_t memoryBytes = 0;
    std::uint64_t iterations = 0;
    std::uint32_t parallelism = 1;
    std::uint32_t version = 0x13;
};
// 32 bytes, or nothing when the parameters are out of range or memory runs out.
std::optional<std::string> Argon2(std::string_view key, const Argon2Params& params);

// gzip as the KDBX formats use it; inflating stops (nothing) beyond maxBytes.
std::string Gzip(std::string_view data);
std::optional<std::string> Gunzip(std::string_view data, std::size_t maxBytes);

// Wipes a string holding a key or a password.
void Wipe(std::string& s);

} // namespace kdbx
