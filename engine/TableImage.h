#pragma once

#include "engine/Crypto.h"
#include "engine/FieldDesc.h"

#include <optional>
#include <string>
#include <vector>

namespace engine {

// The contents of a table's three files.
struct TableFiles {
    std::string db, px, mb;
};

// A table in memory: its definition, protection and records (memos held inline).
struct TableImage {
    uint64_t generation = 1;
    std::vector<FieldDesc> fields;
    bool isProtected = false;
    KdfParams kdf;
    Salt salt{};
    std::vector<std::vector<std::string>> records;
};

// A table's files checked and split, before the records are decrypted.
struct ParsedTable {
    TableImage header; // everything but the records
    std::string dbAd, mbAd;
    Nonce dbNonce{}, mbNonce{};
    std::string recordSection, memoSection;
    struct IndexEntry {
        uint32_t recordNo, offset, length;
    };
    std::vector<IndexEntry> index;
};

// Writes the three files; a protected image needs its key.
TableFiles EncodeTable(const TableImage& image, const SecretKey* key);
// Checks sizes, checksums, generation and the digests tying the files together; throws
// EngineError (Format) for anything damaged, truncated, foreign or mismatched.
ParsedTable ParseTable(const TableFiles& files);
// Decrypts (when protected) and reads the records. Returns nullopt for a wrong key; throws
// EngineError for damage.
std::optional<TableImage> DecodeRecords(const ParsedTable& parsed, const SecretKey* key);

// Characters of a UTF-8 text.
size_t CharCount(std::string_view text);
// Throws EngineError (FieldSize) for a text longer than its field.
void CheckFieldValue(const FieldDesc& field, std::string_view value);

} // namespace engine
