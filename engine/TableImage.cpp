#include "engine/TableImage.h"

#include "engine/ByteReader.h"
#include "engine/ByteWriter.h"
#include "engine/Checksum.h"
#include "engine/EngineError.h"
#include "platform/file/LargeBuffer.h"

#include <cstring>
#include <set>

namespace engine {

namespace {

// The last byte of a magic is the layout.
constexpr char kMagicDb[8] = {'Q', 'T', 'B', 'L', 'D', 'B', 0, 2};
constexpr char kMagicPx[8] = {'Q', 'T', 'B', 'L', 'P', 'X', 0, 2};
constexpr char kMagicMb[8] = {'Q', 'T', 'B', 'L', 'M', 'B', 0, 2};
constexpr char kMagicDb1[8] = {'Q', 'T', 'B', 'L', 'D', 'B', 0, 1};
constexpr char kMagicPx1[8] = {'Q', 'T', 'B', 'L', 'P', 'X', 0, 1};
constexpr char kMagicMb1[8] = {'Q', 'T', 'B', 'L', 'M', 'B', 0, 1};
constexpr size_t kPrefixSize = 8 + 8 + 4; // magic, generation, body length
constexpr size_t kTagSize = 16;
constexpr uint32_t kNoMemo = 0xFFFFFFFF;
constexpr size_t kMaxFields = 4096;
constexpr size_t kMaxNameLength = 64;
// Protection flags: sealed with the password's key, or with a data key in slots.
constexpr uint8_t kSealedByPassword = 1;
constexpr uint8_t kSealedByDataKey = 2;
// With key slots: cost, salt, password slot, recovery flag and slot, then the section's nonce.
constexpr size_t kSlotBlockSize = 8 + 8 + sizeof(Salt) + 2 * sizeof(WrappedKey) + 1;

// A fuzz build takes every checksum and digest as matching, so that the fuzzer's inputs reach
// what lies behind them (anyone can compute a checksum for a made-up file). Decryption is
// checked as always.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool kCheckSums = false;
#else
constexpr bool kCheckSums = true;
#endif

[[noreturn]] void Damaged(const char* what) {
    throw EngineError(Errc::Format, what);
}

template <size_t N> std::string_view View(const std::array<uint8_t, N>& a) {
    return std::string_view(reinterpret_cast<const char*>(a.data()), N);
}

template <size_t N> void Take(ByteReader& r, std::array<uint8_t, N>& out) {
    std::memcpy(out.data(), r.bytes(N).data(), N);
}

// The prefix bytes a body of this length gets; the associated data of a sealed section covers
// the prefix as well as the body in front of the section.
std::string Prefix(const char* magic, uint64_t generation, size_t bodyLength) {
    ByteWriter w;
    w.bytes(std::string_view(magic, 8));
    w.u64(generation);
    w.u32(static_cast<uint32_t>(bodyLength));
    return std::move(w.out());
}

// Appends the checksum of everything so far: prefix and body.
void Seal(std::string& file) {
    file.append(View(ChecksumOf(file)));
}

// magic, generation, body length, body, checksum of all that (BLAKE2b in the first layout).
std::string Frame(const char* magic, uint64_t generation, std::string_view body) {
    std::string out = Prefix(magic, generation, body.size());
    out.reserve(out.size() + body.size() + sizeof(Checksum));
    out.append(body);
    Seal(out);
    return out;
}

std::string_view Unframe(std::string_view file, const char* magic, uint64_t& generation,
                         int layout) {
    const size_t sumSize = layout == 1 ? sizeof(Digest) : sizeof(Checksum);
    if (file.size() < kPrefixSize + sumSize)
        Damaged("table file too short");
    if (std::memcmp(file.data(), magic, 8) != 0)
        Damaged("not a table file of this kind");
    ByteReader r(file);
    r.bytes(8);
    generation = r.u64();
    uint32_t bodyLength = r.u32();
    if (bodyLength != file.size() - kPrefixSize - sumSize)
        Damaged("table file length does not match its header");
    std::string_view covered(file.data(), kPrefixSize + bodyLength);
    const bool intact = layout == 1 ? View(Blake2b(covered)) == file.substr(covered.size())
                                    : View(ChecksumOf(covered)) == file.substr(covered.size());
    if (kCheckSums && !intact)
        Damaged("table file checksum mismatch");
    return file.substr(kPrefixSize, bodyLength);
}

// The associated data of memo block i: the memo file it belongs to and its place there.
std::string BlockAd(const MemoTie& tie, uint32_t i) {
    ByteWriter w;
    w.bytes(std::string_view(kMagicMb, 8));
    w.u64(tie.generation);
    w.bytes(View(tie.id));
    w.u32(i);
    return std::move(w.out());
}

// The non-empty memos of the image in record and field order.
std::vector<const std::string*> MemoBlocks(const TableImage& image) {
    std::vector<const std::string*> blocks;
    for (const auto& values : image.records) {
        for (size_t f = 0; f < values.size() && f < image.fields.size(); ++f) {
            if (image.fields[f].type == FieldType::Memo && !values[f].empty())
                blocks.push_back(&values[f]);
        }
    }
    return blocks;
}

// Reads the field list and protection block of a .DB body (both layouts).
void ReadHeader(ByteReader& r, ParsedTable& p, size_t& nonceAt) {
    TableImage& h = p.header;
    size_t fieldCount = r.u16();
    if (fieldCount == 0 || fieldCount > kMaxFields)
        Damaged("bad field count");
    std::set<std::string> names;
    h.fields.reserve(fieldCount);
    for (size_t i = 0; i < fieldCount; ++i) {
        FieldDesc f;
        uint8_t type = r.u8();
        f.size = r.u16();
        size_t nameLength = r.u8();
        if (nameLength == 0 || nameLength > kMaxNameLength)
            Damaged("bad field name");
        f.name = std::string(r.bytes(nameLength));
        if (type == static_cast<uint8_t>(FieldType::Text)) {
            if (f.size == 0 || f.size > kMaxTextSize)
                Damaged("bad field size");
            f.type = FieldType::Text;
        } else if (type == static_cast<uint8_t>(FieldType::Memo)) {
            if (f.size != 0)
                Damaged("bad memo field size");
            f.type = FieldType::Memo;
        } else {
            Damaged("bad field type");
        }
        if (!names.insert(f.name).second)
            Damaged("duplicate field name");
        h.fields.push_back(std::move(f));
    }
    uint8_t prot = r.u8();
    if (prot > kSealedByDataKey || (prot == kSealedByDataKey && p.layout == 1))
        Damaged("bad protection flag");
    h.isProtected = prot != 0;
    if (h.isProtected) {
        p.costAt = r.pos();
        h.kdf.opsLimit = r.u64();
        h.kdf.memLimit = r.u64();
        if (!KdfParamsAcceptable(h.kdf))
            Damaged("bad key-derivation parameters");
        Take(r, h.salt);
        if (prot == kSealedByDataKey) {
            KeySlots& keySlots = h.keySlots.emplace();
            Take(r, keySlots.password);
            const uint8_t recovery = r.u8();
            if (recovery > 1)
                Damaged("bad recovery flag");
            keySlots.hasRecovery = recovery == 1;
            Take(r, keySlots.recovery);
        }
        nonceAt = r.pos();
        Take(r, p.dbNonce);
    }
}

// Layout 1 memo file: blocks copied out of its one sealed section.
std::vector<std::string> ReadLegacyMemos(const ParsedTable& p, const SecretKey* key,
                                         ByteSource& source) {
    if (source.Size() > (1ull << 30))
        Damaged("memo file too large");
    std::string file(static_cast<size_t>(source.Size()), '\0');
    if (!source.Read(file.data(), file.size()))
        Damaged("memo file truncated");
    if (kCheckSums && Blake2b(file) != p.legacyMemoDigest)
        Damaged("memo file does not belong to this table");
    uint64_t generation = 0;
    std::string_view body = Unframe(file, kMagicMb1, generation, 1);
    ByteReader m(body);
    if (m.u8() != (p.header.isProtected ? 1 : 0))
        Damaged("memo file protection differs");
    Nonce nonce{};
    if (p.header.isProtected)
        Take(m, nonce);
    std::string_view section = m.bytes(m.u32());
    m.expectEnd();
    std::string plain;
    if (p.header.isProtected) {
        std::string ad = Prefix(kMagicMb1, generation, body.size());
        ad.push_back('\x01');
        if (!Unseal(section, ad, nonce, *key, plain))
            Damaged("memo file damaged");
    } else {
        plain = section;
    }
    std::vector<std::string> blocks;
    ByteReader b(plain);
    uint32_t blockCount = b.u32();
    if (blockCount > b.left() / 4)
        Damaged("bad memo block count");
    blocks.reserve(blockCount);
    for (uint32_t i = 0; i < blockCount; ++i)
        blocks.emplace_back(b.bytes(b.u32()));
    b.expectEnd();
    Wipe(plain);
    return blocks;
}

// Layout 2 memo file: every block read straight into its own string, the checksum computed on
// the way and checked before anything is decrypted.
std::vector<std::string> ReadMemos(const ParsedTable& p, const SecretKey* key, ByteSource& source) {
    const bool prot = p.header.isProtected;
    ChecksumStream hash;
    auto read = [&](char* out, size_t n) {
        if (!source.Read(out, n))
            Damaged("memo file truncated");
        hash.Update(std::string_view(out, n));
    };
    char head[kMemoHeadSize + 4];
    read(head, sizeof head);
    ByteReader r(std::string_view(head, sizeof head));
    if (std::memcmp(r.bytes(8).data(), kMagicMb, 8) != 0)
        Damaged("not a table file of this kind");
    MemoTie tie;
    tie.generation = r.u64();
    uint64_t bodyLength = r.u32();
    if (bodyLength + kPrefixSize + sizeof(Checksum) != source.Size())
        Damaged("table file length does not match its header");
    if (r.u8() != (prot ? 1 : 0))
        Damaged("memo file protection differs");
    Take(r, tie.id);
    if (tie.generation != p.memo.generation || tie.id != p.memo.id)
        Damaged("memo file does not belong to this table");
    uint32_t blockCount = r.u32();
    uint64_t left = bodyLength - (sizeof head - kPrefixSize);
    if (blockCount > left / 4)
        Damaged("bad memo block count");
    std::vector<std::string> blocks(blockCount);
    std::vector<Nonce> nonces(prot ? blockCount : 0);
    for (uint32_t i = 0; i < blockCount; ++i) {
        char lengthBytes[4];
        if (left < 4)
            Damaged("bad memo block length");
        read(lengthBytes, 4);
        left -= 4;
        uint64_t length = ByteReader(std::string_view(lengthBytes, 4)).u32();
        uint64_t stored = length + (prot ? 24 + kTagSize : 0);
        if (stored > left)
            Damaged("bad memo block length");
        if (prot)
            read(reinterpret_cast<char*>(nonces[i].data()), 24);
        ResizeLarge(blocks[i], static_cast<size_t>(stored - (prot ? 24 : 0)));
        read(blocks[i].data(), blocks[i].size());
        left -= stored;
    }
    if (left != 0)
        Damaged("table file has trailing bytes");
    Checksum stored{};
    if (!source.Read(reinterpret_cast<char*>(stored.data()), stored.size()))
        Damaged("memo file truncated");
    if (kCheckSums && stored != hash.Final())
        Damaged("table file checksum mismatch");
    if (prot) {
        for (uint32_t i = 0; i < blockCount; ++i) {
            if (!UnsealInPlace(blocks[i], BlockAd(tie, i), nonces[i], *key))
                Damaged("memo file damaged");
        }
    }
    return blocks;
}

} // namespace

bool StringSource::Read(char* out, size_t n) {
    if (n > m_bytes.size() - m_pos)
        return false;
    std::memcpy(out, m_bytes.data() + m_pos, n);
    m_pos += n;
    return true;
}

size_t CharCount(std::string_view text) {
    size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

void CheckFieldValue(const FieldDesc& field, std::string_view value) {
    if (field.type == FieldType::Text && CharCount(value) > field.size)
        throw EngineError(Errc::FieldSize, "text longer than field " + field.name);
}

std::string EncodeMemoFile(const TableImage& image, const MemoTie& tie, const SecretKey* key) {
    if (image.isProtected && !key)
        throw EngineError(Errc::BadArgument, "protected table without key");
    const std::vector<const std::string*> blocks = MemoBlocks(image);
    const size_t perBlock = 4 + (image.isProtected ? 24 + kTagSize : 0);
    size_t bodyLength = 1 + tie.id.size() + 4;
    for (const std::string* b : blocks)
        bodyLength += perBlock + b->size();
    if (bodyLength > (1ull << 30))
        throw EngineError(Errc::FieldSize, "memos too large");
    std::string file = Prefix(kMagicMb, tie.generation, bodyLength);
    file.reserve(kPrefixSize + bodyLength + sizeof(Checksum));
    ByteWriter head;
    head.u8(image.isProtected ? 1 : 0);
    head.bytes(View(tie.id));
    head.u32(static_cast<uint32_t>(blocks.size()));
    file.append(head.out());
    for (uint32_t i = 0; i < blocks.size(); ++i) {
        ByteWriter length;
        length.u32(static_cast<uint32_t>(blocks[i]->size()));
        file.append(length.out());
        if (image.isProtected) {
            Nonce nonce{};
            std::string sealed = engine::Seal(*blocks[i], BlockAd(tie, i), *key, nonce);
            file.append(View(nonce));
            file.append(sealed);
        } else {
            file.append(*blocks[i]);
        }
    }
    Seal(file);
    return file;
}

void EncodeRecordFiles(const TableImage& image, const MemoTie& tie, const SecretKey* key,
                       std::string& px, std::string& db) {
    if (image.isProtected && !key)
        throw EngineError(Errc::BadArgument, "protected table without key");
    ByteWriter rec, index;
    uint32_t nextBlock = 0;
    rec.u32(static_cast<uint32_t>(image.records.size()));
    index.u32(static_cast<uint32_t>(image.records.size()));
    for (size_t r = 0; r < image.records.size(); ++r) {
        const auto& values = image.records[r];
        if (values.size() != image.fields.size())
            throw EngineError(Errc::BadArgument, "record does not match the fields");
        size_t start = rec.size();
        for (size_t f = 0; f < values.size(); ++f) {
            CheckFieldValue(image.fields[f], values[f]);
            if (image.fields[f].type == FieldType::Memo) {
                rec.u32(values[f].empty() ? kNoMemo : nextBlock++);
            } else {
                rec.u32(static_cast<uint32_t>(values[f].size()));
                rec.bytes(values[f]);
            }
        }
        index.u32(static_cast<uint32_t>(r));
        index.u32(static_cast<uint32_t>(start));
        index.u32(static_cast<uint32_t>(rec.size() - start));
    }
    px = Frame(kMagicPx, image.generation, index.out());

    // Fields, protection, the .PX's digest, the memo file's tie, the record section.
    ByteWriter head;
    head.u16(static_cast<uint16_t>(image.fields.size()));
    for (const FieldDesc& f : image.fields) {
        head.u8(static_cast<uint8_t>(f.type));
        head.u16(f.size);
        head.u8(static_cast<uint8_t>(f.name.size()));
        head.bytes(f.name);
    }
    head.u8(!image.isProtected ? 0 : image.keySlots ? kSealedByDataKey : kSealedByPassword);
    Nonce nonce{};
    size_t nonceAt = 0;
    size_t costAt = 0;
    if (image.isProtected) {
        costAt = head.size();
        head.u64(image.kdf.opsLimit);
        head.u64(image.kdf.memLimit);
        head.bytes(View(image.salt));
        if (image.keySlots) {
            head.bytes(View(image.keySlots->password));
            head.u8(image.keySlots->hasRecovery ? 1 : 0);
            head.bytes(View(image.keySlots->recovery));
        }
        nonceAt = head.size();
        head.bytes(View(nonce)); // filled in below
    }
    head.bytes(View(Blake2b(px)));
    head.u64(tie.generation);
    head.bytes(View(tie.id));
    size_t sectionLength = rec.size() + (image.isProtected ? kTagSize : 0);
    head.u32(static_cast<uint32_t>(sectionLength));
    if (image.isProtected) {
        // The nonce is chosen by Seal; the associated data covers the header with the nonce
        // field zeroed, and the nonce itself is bound by the AEAD.
        std::string ad =
            Prefix(kMagicDb, image.generation, head.size() + sectionLength) + head.out();
        if (image.keySlots)
            std::memset(ad.data() + kPrefixSize + costAt, 0, kSlotBlockSize);
        std::string section = engine::Seal(rec.out(), ad, *key, nonce);
        std::memcpy(head.out().data() + nonceAt, nonce.data(), nonce.size());
        head.bytes(section);
    } else {
        head.bytes(rec.out());
    }
    Wipe(rec.out());
    db = Frame(kMagicDb, image.generation, head.out());
}

TableFiles EncodeTable(const TableImage& image, const SecretKey* key) {
    MemoTie tie;
    tie.generation = image.generation;
    RandomBytes(tie.id.data(), tie.id.size());
    TableFiles files;
    files.mb = EncodeMemoFile(image, tie, key);
    EncodeRecordFiles(image, tie, key, files.px, files.db);
    return files;
}

ParsedTable ParseTable(std::string_view db, std::string_view px) {
    ParsedTable p;
    if (db.size() >= 8 && std::memcmp(db.data(), kMagicDb1, 8) == 0)
        p.layout = 1;
    const bool legacy = p.layout == 1;
    uint64_t genDb = 0, genPx = 0;
    std::string_view dbBody = Unframe(db, legacy ? kMagicDb1 : kMagicDb, genDb, p.layout);
    std::string_view pxBody = Unframe(px, legacy ? kMagicPx1 : kMagicPx, genPx, p.layout);
    if (genDb != genPx)
        Damaged("table files of different generations");
    p.header.generation = genDb;

    ByteReader r(dbBody);
    size_t nonceAt = 0;
    ReadHeader(r, p, nonceAt);
    Digest pxd{};
    Take(r, pxd);
    if (kCheckSums && pxd != Blake2b(px))
        Damaged("index file does not belong to this table");
    if (legacy) {
        Take(r, p.legacyMemoDigest);
    } else {
        p.memo.generation = r.u64();
        Take(r, p.memo.id);
        if (p.memo.generation > genDb)
            Damaged("table files of different generations");
    }
    uint32_t sectionLength = r.u32();
    size_t sectionAt = r.pos();
    p.recordSection = std::string(r.bytes(sectionLength));
    r.expectEnd();
    if (p.header.isProtected) {
        p.dbAd = std::string(db.data(), kPrefixSize + sectionAt);
        std::memset(p.dbAd.data() + kPrefixSize + nonceAt, 0, 24);
        if (p.header.keySlots)
            std::memset(p.dbAd.data() + kPrefixSize + p.costAt, 0, kSlotBlockSize);
    }

    ByteReader x(pxBody);
    uint32_t entries = x.u32();
    if (entries > x.left() / 12)
        Damaged("bad index entry count");
    p.index.reserve(entries);
    for (uint32_t i = 0; i < entries; ++i)
        p.index.push_back({x.u32(), x.u32(), x.u32()});
    x.expectEnd();
    return p;
}

std::string KeySlotAd(const TableImage& header, bool recovery) {
    if (recovery)
        return "QTBLKEYR"; // kept as it is when the password changes
    ByteWriter w;
    w.bytes("QTBLKEYP");
    w.u64(header.kdf.opsLimit);
    w.u64(header.kdf.memLimit);
    w.bytes(View(header.salt));
    return std::move(w.out());
}

std::string ReplaceKeySlots(std::string_view db, const ParsedTable& parsed,
                            const TableImage& header) {
    if (!parsed.header.keySlots || !header.keySlots || parsed.layout != 2)
        throw EngineError(Errc::BadArgument, "table has no key keySlots");
    ByteWriter block;
    block.u64(header.kdf.opsLimit);
    block.u64(header.kdf.memLimit);
    block.bytes(View(header.salt));
    block.bytes(View(header.keySlots->password));
    block.u8(header.keySlots->hasRecovery ? 1 : 0);
    block.bytes(View(header.keySlots->recovery));
    std::string out(db.substr(0, db.size() - sizeof(Checksum)));
    out.replace(kPrefixSize + parsed.costAt, kSlotBlockSize, block.out());
    Seal(out);
    return out;
}

bool MemoFileBelongs(const ParsedTable& p, std::string_view head) {
    if (p.layout == 1)
        return Blake2b(head) == p.legacyMemoDigest;
    if (head.size() < kMemoHeadSize || std::memcmp(head.data(), kMagicMb, 8) != 0)
        return false;
    ByteReader r(head);
    r.bytes(8);
    MemoTie tie;
    tie.generation = r.u64();
    r.u32();
    r.u8();
    Take(r, tie.id);
    return tie.generation == p.memo.generation && tie.id == p.memo.id;
}

std::optional<TableImage> DecodeRecords(const ParsedTable& p, const SecretKey* key,
                                        ByteSource& memoFile, bool* canonical) {
    TableImage image = p.header;
    std::string recPlain;
    if (image.isProtected) {
        if (!key || !Unseal(p.recordSection, p.dbAd, p.dbNonce, *key, recPlain))
            return std::nullopt;
    } else {
        recPlain = p.recordSection;
    }
    struct Wiper {
        std::string& s;
        ~Wiper() { Wipe(s); }
    } wipeRecords{recPlain};

    std::vector<std::string> blocks =
        p.layout == 1 ? ReadLegacyMemos(p, key, memoFile) : ReadMemos(p, key, memoFile);
    // Where block i went; a block named twice is copied from there.
    std::vector<const std::string*> holder(blocks.size(), nullptr);
    bool inOrder = p.layout != 1;
    uint32_t nextBlock = 0;

    ByteReader r(recPlain);
    uint32_t recordCount = r.u32();
    size_t fieldCount = image.fields.size();
    if (recordCount > r.left() / (4 * fieldCount))
        Damaged("bad record count");
    if (p.index.size() != recordCount)
        Damaged("index does not match the records");
    image.records.resize(recordCount);
    for (uint32_t i = 0; i < recordCount; ++i) {
        size_t start = r.pos();
        auto& values = image.records[i];
        values.reserve(fieldCount);
        for (const FieldDesc& f : image.fields) {
            uint32_t v = r.u32();
            if (f.type == FieldType::Memo) {
                if (v == kNoMemo) {
                    values.emplace_back();
                } else if (v < blocks.size()) {
                    inOrder = inOrder && v == nextBlock++ && !blocks[v].empty();
                    if (holder[v]) {
                        values.push_back(*holder[v]);
                    } else {
                        values.push_back(std::move(blocks[v]));
                        holder[v] = &values.back();
                    }
                } else {
                    Damaged("bad memo reference");
                }
            } else {
                values.emplace_back(r.bytes(v));
                if (CharCount(values.back()) > f.size)
                    Damaged("text longer than its field");
            }
        }
        const auto& e = p.index[i];
        if (e.recordNo != i || e.offset != start || e.length != r.pos() - start)
            Damaged("index does not match the records");
    }
    r.expectEnd();
    for (std::string& b : blocks)
        Wipe(b);
    if (canonical)
        *canonical = inOrder && nextBlock == blocks.size();
    return image;
}

std::optional<TableImage> DecodeTable(const TableFiles& files, const SecretKey* key) {
    ParsedTable parsed = ParseTable(files.db, files.px);
    StringSource memo(files.mb);
    return DecodeRecords(parsed, key, memo);
}

} // namespace engine
