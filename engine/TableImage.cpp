#include "engine/TableImage.h"

#include "engine/ByteReader.h"
#include "engine/ByteWriter.h"
#include "engine/EngineError.h"

#include <cstring>
#include <set>

namespace engine {

namespace {

constexpr char kMagicDb[8] = {'Q', 'T', 'B', 'L', 'D', 'B', 0, 1};
constexpr char kMagicPx[8] = {'Q', 'T', 'B', 'L', 'P', 'X', 0, 1};
constexpr char kMagicMb[8] = {'Q', 'T', 'B', 'L', 'M', 'B', 0, 1};
constexpr size_t kPrefixSize = 8 + 8 + 4; // magic, generation, body length
constexpr size_t kTagSize = 16;
constexpr uint32_t kNoMemo = 0xFFFFFFFF;
constexpr size_t kMaxFields = 4096;
constexpr size_t kMaxNameLength = 64;

[[noreturn]] void Damaged(const char* what) {
    throw EngineError(Errc::Format, what);
}

// magic, generation, body length, body, BLAKE2b of all that.
std::string Frame(const char* magic, uint64_t generation, const std::string& body) {
    ByteWriter w;
    w.bytes(std::string_view(magic, 8));
    w.u64(generation);
    w.u32(static_cast<uint32_t>(body.size()));
    w.bytes(body);
    Digest d = Blake2b(w.out());
    w.bytes(std::string_view(reinterpret_cast<const char*>(d.data()), d.size()));
    return std::move(w.out());
}

// The prefix bytes a body of this length will get; the associated data of a sealed section
// covers the prefix as well as the body in front of the section.
std::string Prefix(const char* magic, uint64_t generation, size_t bodyLength) {
    ByteWriter w;
    w.bytes(std::string_view(magic, 8));
    w.u64(generation);
    w.u32(static_cast<uint32_t>(bodyLength));
    return std::move(w.out());
}

std::string_view Unframe(const std::string& file, const char* magic, uint64_t& generation) {
    if (file.size() < kPrefixSize + 32)
        Damaged("table file too short");
    if (std::memcmp(file.data(), magic, 8) != 0)
        Damaged("not a table file of this kind");
    ByteReader r(file);
    r.bytes(8);
    generation = r.u64();
    uint32_t bodyLength = r.u32();
    if (bodyLength != file.size() - kPrefixSize - 32)
        Damaged("table file length does not match its header");
    std::string_view covered(file.data(), kPrefixSize + bodyLength);
    Digest d = Blake2b(covered);
    if (std::memcmp(d.data(), file.data() + covered.size(), 32) != 0)
        Damaged("table file checksum mismatch");
    return std::string_view(file).substr(kPrefixSize, bodyLength);
}

template <size_t N> void Take(ByteReader& r, std::array<uint8_t, N>& out) {
    std::memcpy(out.data(), r.bytes(N).data(), N);
}

template <size_t N> std::string_view View(const std::array<uint8_t, N>& a) {
    return std::string_view(reinterpret_cast<const char*>(a.data()), N);
}

} // namespace

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

TableFiles EncodeTable(const TableImage& image, const SecretKey* key) {
    if (image.isProtected && !key)
        throw EngineError(Errc::BadArgument, "protected table without key");
    // Records and memo blocks.
    ByteWriter rec, memo, index;
    std::vector<std::string_view> blocks;
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
                if (values[f].empty()) {
                    rec.u32(kNoMemo);
                } else {
                    rec.u32(static_cast<uint32_t>(blocks.size()));
                    blocks.push_back(values[f]);
                }
            } else {
                rec.u32(static_cast<uint32_t>(values[f].size()));
                rec.bytes(values[f]);
            }
        }
        index.u32(static_cast<uint32_t>(r));
        index.u32(static_cast<uint32_t>(start));
        index.u32(static_cast<uint32_t>(rec.size() - start));
    }
    memo.u32(static_cast<uint32_t>(blocks.size()));
    for (std::string_view b : blocks) {
        memo.u32(static_cast<uint32_t>(b.size()));
        memo.bytes(b);
    }

    TableFiles files;
    files.px = Frame(kMagicPx, image.generation, index.out());

    // Memo file: protection flag, [nonce], section length, section.
    {
        size_t sectionLength = memo.size() + (image.isProtected ? kTagSize : 0);
        size_t bodyLength = 1 + (image.isProtected ? 24 : 0) + 4 + sectionLength;
        ByteWriter body;
        body.u8(image.isProtected ? 1 : 0);
        std::string section = memo.out();
        Nonce nonce{};
        if (image.isProtected) {
            std::string ad = Prefix(kMagicMb, image.generation, bodyLength);
            ad.push_back('\x01');
            section = Seal(memo.out(), ad, *key, nonce);
            body.bytes(View(nonce));
        }
        body.u32(static_cast<uint32_t>(section.size()));
        body.bytes(section);
        Wipe(memo.out());
        files.mb = Frame(kMagicMb, image.generation, body.out());
    }

    // Table file: fields, protection, digests of the other two files, record section.
    {
        ByteWriter head;
        head.u16(static_cast<uint16_t>(image.fields.size()));
        for (const FieldDesc& f : image.fields) {
            head.u8(static_cast<uint8_t>(f.type));
            head.u16(f.size);
            head.u8(static_cast<uint8_t>(f.name.size()));
            head.bytes(f.name);
        }
        head.u8(image.isProtected ? 1 : 0);
        Nonce nonce{};
        size_t nonceAt = 0;
        if (image.isProtected) {
            head.u64(image.kdf.opsLimit);
            head.u64(image.kdf.memLimit);
            head.bytes(View(image.salt));
            nonceAt = head.size();
            head.bytes(View(nonce)); // filled in below
        }
        Digest pxd = Blake2b(files.px), mbd = Blake2b(files.mb);
        head.bytes(View(pxd));
        head.bytes(View(mbd));
        size_t sectionLength = rec.size() + (image.isProtected ? kTagSize : 0);
        head.u32(static_cast<uint32_t>(sectionLength));
        std::string section = rec.out();
        if (image.isProtected) {
            // The nonce is chosen by Seal; the associated data covers the header with the
            // nonce field zeroed, and the nonce itself is bound by the AEAD.
            std::string ad =
                Prefix(kMagicDb, image.generation, head.size() + sectionLength) + head.out();
            section = Seal(rec.out(), ad, *key, nonce);
            std::memcpy(head.out().data() + nonceAt, nonce.data(), nonce.size());
        }
        head.bytes(section);
        Wipe(rec.out());
        files.db = Frame(kMagicDb, image.generation, head.out());
    }
    return files;
}

ParsedTable ParseTable(const TableFiles& files) {
    ParsedTable p;
    TableImage& h = p.header;
    uint64_t genDb = 0, genPx = 0, genMb = 0;
    std::string_view dbBody = Unframe(files.db, kMagicDb, genDb);
    std::string_view pxBody = Unframe(files.px, kMagicPx, genPx);
    std::string_view mbBody = Unframe(files.mb, kMagicMb, genMb);
    if (genDb != genPx || genDb != genMb)
        Damaged("table files of different generations");
    h.generation = genDb;

    ByteReader r(dbBody);
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
    if (prot > 1)
        Damaged("bad protection flag");
    h.isProtected = prot == 1;
    size_t nonceAt = 0;
    if (h.isProtected) {
        h.kdf.opsLimit = r.u64();
        h.kdf.memLimit = r.u64();
        if (!KdfParamsAcceptable(h.kdf))
            Damaged("bad key-derivation parameters");
        Take(r, h.salt);
        nonceAt = r.pos();
        Take(r, p.dbNonce);
    }
    Digest pxd{}, mbd{};
    Take(r, pxd);
    Take(r, mbd);
    if (pxd != Blake2b(files.px))
        Damaged("index file does not belong to this table");
    if (mbd != Blake2b(files.mb))
        Damaged("memo file does not belong to this table");
    uint32_t sectionLength = r.u32();
    size_t sectionAt = r.pos();
    p.recordSection = std::string(r.bytes(sectionLength));
    r.expectEnd();
    if (h.isProtected) {
        p.dbAd = std::string(files.db.data(), kPrefixSize + sectionAt);
        std::memset(p.dbAd.data() + kPrefixSize + nonceAt, 0, 24);
    }

    ByteReader m(mbBody);
    uint8_t mprot = m.u8();
    if (mprot != prot)
        Damaged("memo file protection differs");
    if (h.isProtected)
        Take(m, p.mbNonce);
    uint32_t memoLength = m.u32();
    if (h.isProtected) {
        p.mbAd = Prefix(kMagicMb, h.generation, mbBody.size());
        p.mbAd.push_back('\x01');
    }
    p.memoSection = std::string(m.bytes(memoLength));
    m.expectEnd();

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

std::optional<TableImage> DecodeRecords(const ParsedTable& p, const SecretKey* key) {
    TableImage image = p.header;
    std::string recPlain, memoPlain;
    if (image.isProtected) {
        if (!key)
            return std::nullopt;
        if (!Unseal(p.recordSection, p.dbAd, p.dbNonce, *key, recPlain))
            return std::nullopt;
        if (!Unseal(p.memoSection, p.mbAd, p.mbNonce, *key, memoPlain)) {
            Wipe(recPlain);
            Damaged("memo file damaged");
        }
    } else {
        recPlain = p.recordSection;
        memoPlain = p.memoSection;
    }

    std::vector<std::string> blocks;
    ByteReader m(memoPlain);
    uint32_t blockCount = m.u32();
    if (blockCount > m.left() / 4)
        Damaged("bad memo block count");
    blocks.reserve(blockCount);
    for (uint32_t i = 0; i < blockCount; ++i)
        blocks.emplace_back(m.bytes(m.u32()));
    m.expectEnd();

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
                if (v == kNoMemo)
                    values.emplace_back();
                else if (v < blocks.size())
                    values.push_back(blocks[v]);
                else
                    Damaged("bad memo reference");
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
    Wipe(recPlain);
    Wipe(memoPlain);
    for (std::string& b : blocks)
        Wipe(b);
    return image;
}

} // namespace engine
