#pragma once

#include "exchange/KdbxCrypto.h"
#include "exchange/KdbxModel.h"

#include <optional>
#include <string>
#include <string_view>

// KDBX files: written as KDBX 4 (ChaCha20, Argon2id, gzip, HMAC-SHA256 blocks); read as KDBX 4
// and 3.1 with AES-256 or ChaCha20, AES-KDF, Argon2d or Argon2id.

namespace kdbx {

// The key derivation of written files. The default is what a household's machine derives in
// a fraction of a second; tests lower it.
Argon2Params DefaultWriteKdf();

// The whole file for db, protected by password.
std::string WriteKdbx(const KdbxDatabase& db, std::string_view password,
                      const Argon2Params& kdf = DefaultWriteKdf());

enum class ReadFault {
    None,
    NotKdbx,       // no KDBX signature
    Unsupported,   // another version, cipher or key derivation
    WrongPassword, // or a key file that is not given
    TooCostly,     // the key derivation asks for more than any real file does
    Damaged,       // checksums, lengths or the XML do not hold
};

struct ReadResult {
    std::optional<KdbxDatabase> db;
    ReadFault fault = ReadFault::None;
    std::string detail;
};

ReadResult ReadKdbx(std::string_view file, std::string_view password);

// A German sentence for a fault.
std::string FaultText(ReadFault fault);

} // namespace kdbx
