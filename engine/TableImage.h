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

// What a table file names of its memo file: the memo file's generation and the random id it
// got when it was written. A post that changes no memo keeps the memo file and its tie.
using MemoId = std::array<uint8_t, 16>;
struct MemoTie {
    uint64_t generation = 0;
    MemoId id{};
};

// A protected table sealed with a random data key: the key wrapped by the password's key
// (Argon2id with the table's salt and cost) and, when a recovery was made, by the recovery's.
// Tables protected earlier are sealed with the password's key itself and have no slots.
struct KeySlots {
    WrappedKey password{};
    bool hasRecovery = false;
    WrappedKey recovery{};
};

// A table in memory: its definition, protection and records (memos held inline).
struct TableImage {
    uint64_t generation = 1;
    std::vector<FieldDesc> fields;
    bool isProtected = false;
    KdfParams kdf;
    Salt salt{};
    std::optional<KeySlots> keySlots;
    std::vector<std::vector<std::string>> records;
};

// A table's .DB and .PX checked and split, before the records are decrypted and the memos read.
struct ParsedTable {
    // 1: the first layout (memo file rewritten and hashed with every post), 2: the current one.
    int layout = 2;
    TableImage header; // everything but the records
    MemoTie memo;      // layout 2
    std::string dbAd;
    Nonce dbNonce{};
    std::string recordSection;
    struct IndexEntry {
        uint32_t recordNo, offset, length;
    };
    std::vector<IndexEntry> index;
    Digest legacyMemoDigest{}; // layout 1: the BLAKE2b of the whole memo file
    size_t costAt = 0;         // with key slots: where the cost, salt and slots start in the .DB
};

// The associated data of a key slot: which slot, and for the password's the cost and salt.
std::string KeySlotAd(const TableImage& header, bool recovery);
// The .DB of a table with key slots given header's cost, salt and slots: the record section
// and the other files stay as they are (the section's associated data leaves them out).
std::string ReplaceKeySlots(std::string_view db, const ParsedTable& parsed,
                            const TableImage& header);

// Where a memo file is read from, piece by piece.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Exactly n bytes, or false.
    virtual bool Read(char* out, size_t n) = 0;
};

class StringSource : public ByteSource {
public:
    explicit StringSource(std::string_view bytes) : m_bytes(bytes) {}
    uint64_t Size() const override { return m_bytes.size(); }
    bool Read(char* out, size_t n) override;

private:
    std::string_view m_bytes;
    size_t m_pos = 0;
};

// Layout-2 files of a whole image (a new memo id; the memo file of the image's generation).
TableFiles EncodeTable(const TableImage& image, const SecretKey* key);

// The pieces a post writes. EncodeMemoFile: the memo file of tie. EncodeRecordFiles: the .PX and
// the .DB naming tie; memo references number the non-empty memos in record and field order,
// which is the order EncodeMemoFile writes them in.
std::string EncodeMemoFile(const TableImage& image, const MemoTie& tie, const SecretKey* key);
void EncodeRecordFiles(const TableImage& image, const MemoTie& tie, const SecretKey* key,
                       std::string& px, std::string& db);

// Checks the .DB and .PX (either layout): sizes, checksums, generation, the .PX's digest in the
// .DB. Throws EngineError (Format) for anything damaged, truncated, foreign or mismatched.
ParsedTable ParseTable(std::string_view db, std::string_view px);
// Whether the memo file starting with head (kMemoHeadSize bytes, or the whole file for
// layout 1) is the one the table file names. Its checksum is checked when it is read.
bool MemoFileBelongs(const ParsedTable& parsed, std::string_view head);
constexpr size_t kMemoHeadSize = 8 + 8 + 4 + 1 + 16;

// Decrypts (when protected) and reads the records with their memos: layout 2 reads the memo
// file from source once (each block into its value, checked against the tie and its checksum);
// layout 1 takes the memo file's bytes whole. Returns nullopt for a wrong key (before the memo
// file is touched); throws
// EngineError for damage. canonical tells whether the memo references follow the numbering
// EncodeRecordFiles gives (a post may then keep the memo file).
std::optional<TableImage> DecodeRecords(const ParsedTable& parsed, const SecretKey* key,
                                        ByteSource& memoFile, bool* canonical = nullptr);

// Whole files: parse and decode (either layout).
std::optional<TableImage> DecodeTable(const TableFiles& files, const SecretKey* key);

// Characters of a UTF-8 text.
size_t CharCount(std::string_view text);
// Throws EngineError (FieldSize) for a text longer than its field.
void CheckFieldValue(const FieldDesc& field, std::string_view value);

} // namespace engine
