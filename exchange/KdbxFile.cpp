#include "exchange/KdbxFile.h"

#include "exchange/KdbxXml.h"

#include <map>

namespace kdbx {

namespace {

constexpr std::uint32_t kSig1 = 0x9AA2D903;
constexpr std::uint32_t kSig2 = 0xB54BFB67;
constexpr std::size_t kBlockSize = 1 << 20;
constexpr std::size_t kMaxPlain = std::size_t{512} << 20;
constexpr std::uint64_t kMaxAesRounds = 300'000'000;

const std::string kAesCipher("\x31\xC1\xF2\xE6\xBF\x71\x43\x50\xBE\x58\x05\x21\x6A\xFC\x5A\xFF",
                             16);
const std::string kChaChaCipher("\xD6\x03\x8A\x2B\x8B\x6F\x4C\xB5\xA5\x24\x33\x9A\x31\xDB\xB5\x9A",
                                16);
const std::string kArgon2d("\xEF\x63\x6D\xDF\x8C\x29\x44\x4B\x91\xF7\xA9\xA4\x03\xE3\x0A\x0C", 16);
const std::string kArgon2id("\x9E\x29\x8B\x19\x56\xDB\x47\x73\xB2\x3D\xFC\x3E\xC6\xF0\xA1\xE6", 16);
const std::string kAesKdf3("\xC9\xD9\xF3\x9A\x62\x8A\x44\x60\xBF\x74\x0D\x08\xC1\x8A\x4F\xEA", 16);
const std::string kAesKdf4("\x7C\x02\xBB\x82\x79\xA7\x4A\xC0\x92\x7D\x11\x4A\x00\x64\x82\x38", 16);

enum HeaderId : std::uint8_t {
    kEnd = 0,
    kCipher = 2,
    kCompression = 3,
    kMasterSeed = 4,
    kTransformSeed = 5,
    kTransformRounds = 6,
    kIv = 7,
    kStreamKey = 8,
    kStartBytes = 9,
    kStreamId = 10,
    kKdfParams = 11,
};

template <typename T> void Put(std::string& out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xff));
}

// Bounds-checked little-endian reading.
struct Cursor {
    std::string_view data;
    std::size_t pos = 0;
    bool ok = true;
    std::string_view Take(std::size_t n) {
        if (!ok || n > data.size() - pos) {
            ok = false;
            return {};
        }
        pos += n;
        return data.substr(pos - n, n);
    }
    template <typename T> T Get() {
        const std::string_view b = Take(sizeof(T));
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < b.size(); ++i)
            v |= std::uint64_t{static_cast<unsigned char>(b[i])} << (8 * i);
        return static_cast<T>(v);
    }
};

template <typename T> T LittleEndian(std::string_view b) {
    Cursor c{b};
    const T v = c.Get<T>();
    return b.size() == sizeof(T) ? v : T{};
}

// KeePass's typed dictionary of the KDF's parameters; values kept as raw bytes.
using Variants = std::map<std::string, std::string>;

void PutVariant(std::string& out, std::uint8_t type, std::string_view key, std::string_view value) {
    out.push_back(static_cast<char>(type));
    Put<std::uint32_t>(out, static_cast<std::uint32_t>(key.size()));
    out += key;
    Put<std::uint32_t>(out, static_cast<std::uint32_t>(value.size()));
    out += value;
}

template <typename T> std::string Le(T value) {
    std::string out;
    Put<T>(out, value);
    return out;
}

std::string WriteVariants(const Argon2Params& kdf) {
    std::string out;
    Put<std::uint16_t>(out, 0x0100);
    PutVariant(out, 0x42, "$UUID", kdf.type == Argon2Type::D ? kArgon2d : kArgon2id);
    PutVariant(out, 0x42, "S", kdf.salt);
    PutVariant(out, 0x04, "P", Le<std::uint32_t>(kdf.parallelism));
    PutVariant(out, 0x05, "M", Le<std::uint64_t>(kdf.memoryBytes));
    PutVariant(out, 0x05, "I", Le<std::uint64_t>(kdf.iterations));
    PutVariant(out, 0x04, "V", Le<std::uint32_t>(kdf.version));
    out.push_back('\0');
    return out;
}

std::optional<Variants> ReadVariants(std::string_view bytes) {
    Cursor c{bytes};
    if (c.Get<std::uint16_t>() >> 8 != 1)
        return std::nullopt;
    Variants v;
    while (c.ok) {
        const auto type = c.Get<std::uint8_t>();
        if (type == 0)
            return c.ok ? std::optional(v) : std::nullopt;
        const std::string key(c.Take(c.Get<std::uint32_t>()));
        v[key] = std::string(c.Take(c.Get<std::uint32_t>()));
    }
    return std::nullopt;
}

std::string CompositeKey(std::string_view password) {
    std::string inner = Sha256(password);
    std::string key = Sha256(inner);
    Wipe(inner);
    return key;
}

std::string BlockKey(std::uint64_t index, std::string_view hmacBase) {
    return Sha512(Le<std::uint64_t>(index) + std::string(hmacBase));
}

std::string BlockMac(std::uint64_t index, std::string_view hmacBase, std::string_view data) {
    return HmacSha256(BlockKey(index, hmacBase),
                      Le<std::uint64_t>(index) +
                          Le<std::uint32_t>(static_cast<std::uint32_t>(data.size())) +
                          std::string(data));
}

struct Header {
    std::uint16_t major = 0;
    std::map<std::uint8_t, std::string> fields;
    std::string bytes; // as read, for its hash
    std::string Field(std::uint8_t id) const {
        const auto it = fields.find(id);
        return it == fields.end() ? std::string() : it->second;
    }
};

std::optional<Header> ReadHeader(Cursor& c) {
    Header h;
    c.Get<std::uint32_t>();
    c.Get<std::uint32_t>();
    c.Get<std::uint16_t>();
    h.major = c.Get<std::uint16_t>();
    for (;;) {
        const auto id = c.Get<std::uint8_t>();
        const std::size_t size = h.major >= 4 ? c.Get<std::uint32_t>() : c.Get<std::uint16_t>();
        const std::string_view value = c.Take(size);
        if (!c.ok)
            return std::nullopt;
        if (id == kEnd)
            break;
        h.fields[id] = std::string(value);
    }
    h.bytes = std::string(c.data.substr(0, c.pos));
    return h;
}

struct Keys {
    ReadFault fault = ReadFault::None;
    std::string cipherKey;
    std::string hmacBase;
};

// The transformed key of the header's KDF.
ReadFault Transform(const Header& h, std::string_view composite, std::string& out) {
    std::optional<std::string> key;
    if (h.major < 4) {
        const auto rounds = LittleEndian<std::uint64_t>(h.Field(kTransformRounds));
        if (rounds > kMaxAesRounds)
            return ReadFault::TooCostly;
        key = AesKdf(composite, h.Field(kTransformSeed), rounds);
    } else {
        const auto v = ReadVariants(h.Field(kKdfParams));
        if (!v)
            return ReadFault::Damaged;
        auto get = [&](const char* k) { return v->count(k) ? v->at(k) : std::string(); };
        const std::string uuid = get("$UUID");
        if (uuid == kAesKdf3 || uuid == kAesKdf4) {
            const auto rounds = LittleEndian<std::uint64_t>(get("R"));
            if (rounds > kMaxAesRounds)
                return ReadFault::TooCostly;
            key = AesKdf(composite, get("S"), rounds);
        } else if (uuid == kArgon2d || uuid == kArgon2id) {
            Argon2Params p{uuid == kArgon2d ? Argon2Type::D : Argon2Type::Id,
                           get("S"),
                           LittleEndian<std::uint64_t>(get("M")),
                           LittleEndian<std::uint64_t>(get("I")),
                           LittleEndian<std::uint32_t>(get("P")),
                           LittleEndian<std::uint32_t>(get("V"))};
            // A gibibyte, and at most about a minute of passes: far beyond what the programs
            // that write these files choose.
            if (p.memoryBytes > (std::uint64_t{1} << 30) ||
                (p.memoryBytes >> 20) * p.iterations > (std::uint64_t{64} << 10))
                return ReadFault::TooCostly;
            key = Argon2(composite, p);
        } else {
            return ReadFault::Unsupported;
        }
    }
    if (!key)
        return ReadFault::Damaged;
    out = std::move(*key);
    return ReadFault::None;
}

std::optional<std::string> Decrypt(const Header& h, std::string_view key, std::string_view data) {
    const std::string cipher = h.Field(kCipher);
    if (cipher == kAesCipher)
        return AesCbcDecrypt(key, h.Field(kIv), data);
    if (cipher == kChaChaCipher && h.Field(kIv).size() == 12)
        return ChaCha20(key, h.Field(kIv), data);
    return std::nullopt;
}

// KDBX 4: the HMAC block stream after the header's hash and HMAC.
ReadResult ReadBody4(const Header& h, Cursor& c, std::string_view password);
ReadResult ReadBody3(const Header& h, Cursor& c, std::string_view password);

ReadResult Fail(ReadFault fault, std::string detail = {}) {
    return ReadResult{std::nullopt, fault, std::move(detail)};
}

std::optional<std::string> Uncompress(const Header& h, std::string plain) {
    if (LittleEndian<std::uint32_t>(h.Field(kCompression)) == 0)
        return plain;
    return Gunzip(plain, kMaxPlain);
}

ReadResult ReadInner(std::string_view payload, std::uint32_t streamId, std::string streamKey,
                     std::vector<std::uint64_t> sizes) {
    auto stream = InnerStream::Make(streamId, streamKey);
    Wipe(streamKey);
    if (!stream)
        return Fail(ReadFault::Unsupported, "inner stream");
    std::string error;
    auto db = ReadXml(payload, &*stream, std::move(sizes), error);
    if (!db)
        return Fail(ReadFault::Damaged, error);
    return ReadResult{std::move(db), ReadFault::None, {}};
}

ReadResult ReadBody4(const Header& h, Cursor& c, std::string_view password) {
    const std::string_view hash = c.Take(32);
    const std::string_view mac = c.Take(32);
    if (!c.ok || hash != Sha256(h.bytes))
        return Fail(ReadFault::Damaged, "header hash");
    const std::string seed = h.Field(kMasterSeed);
    std::string composite = CompositeKey(password), transformed;
    const ReadFault kdf = Transform(h, composite, transformed);
    Wipe(composite);
    if (kdf != ReadFault::None)
        return Fail(kdf);
    const std::string hmacBase = Sha512(seed + transformed + '\x01');
    const std::string key = Sha256(seed + transformed);
    Wipe(transformed);
    if (HmacSha256(BlockKey(~std::uint64_t{0}, hmacBase), h.bytes) != mac)
        return Fail(ReadFault::WrongPassword);
    std::string encrypted;
    for (std::uint64_t index = 0;; ++index) {
        const std::string_view blockMac = c.Take(32);
        const std::string_view data = c.Take(c.Get<std::uint32_t>());
        if (!c.ok || BlockMac(index, hmacBase, data) != blockMac || encrypted.size() > kMaxPlain)
            return Fail(ReadFault::Damaged, "block");
        if (data.empty())
            break;
        encrypted += data;
    }
    auto plain = Decrypt(h, key, encrypted);
    if (plain)
        plain = Uncompress(h, std::move(*plain));
    if (!plain)
        return Fail(ReadFault::Damaged, "payload");
    Cursor inner{*plain};
    std::uint32_t streamId = 0;
    std::string streamKey;
    std::vector<std::uint64_t> sizes;
    for (;;) {
        const auto id = inner.Get<std::uint8_t>();
        const std::string_view value = inner.Take(inner.Get<std::uint32_t>());
        if (!inner.ok)
            return Fail(ReadFault::Damaged, "inner header");
        if (id == 0)
            break;
        if (id == 1)
            streamId = LittleEndian<std::uint32_t>(value);
        else if (id == 2)
            streamKey = std::string(value);
        else if (id == 3)
            sizes.push_back(value.empty() ? 0 : value.size() - 1);
    }
    return ReadInner(std::string_view(*plain).substr(inner.pos), streamId, std::move(streamKey),
                     std::move(sizes));
}

ReadResult ReadBody3(const Header& h, Cursor& c, std::string_view password) {
    std::string composite = CompositeKey(password), transformed;
    const ReadFault kdf = Transform(h, composite, transformed);
    Wipe(composite);
    if (kdf != ReadFault::None)
        return Fail(kdf);
    const std::string key = Sha256(h.Field(kMasterSeed) + transformed);
    Wipe(transformed);
    const auto plain = Decrypt(h, key, c.data.substr(c.pos));
    const std::string start = h.Field(kStartBytes);
    if (!plain || start.size() != 32 || plain->compare(0, 32, start) != 0)
        return Fail(ReadFault::WrongPassword);
    Cursor blocks{*plain, 32};
    std::string joined;
    for (;;) {
        blocks.Get<std::uint32_t>();
        const std::string_view hash = blocks.Take(32);
        const std::string_view data = blocks.Take(blocks.Get<std::uint32_t>());
        if (!blocks.ok || (!data.empty() && Sha256(data) != hash))
            return Fail(ReadFault::Damaged, "block");
        if (data.empty())
            break;
        joined += data;
    }
    const auto xml = Uncompress(h, std::move(joined));
    if (!xml)
        return Fail(ReadFault::Damaged, "payload");
    return ReadInner(*xml, LittleEndian<std::uint32_t>(h.Field(kStreamId)), h.Field(kStreamKey),
                     {});
}

void PutField(std::string& out, std::uint8_t id, std::string_view value) {
    out.push_back(static_cast<char>(id));
    Put<std::uint32_t>(out, static_cast<std::uint32_t>(value.size()));
    out += value;
}

} // namespace

Argon2Params DefaultWriteKdf() {
    return Argon2Params{Argon2Type::Id, RandomBytes(32), std::uint64_t{64} << 20, 4, 2, 0x13};
}

std::string WriteKdbx(const KdbxDatabase& db, std::string_view password, const Argon2Params& kdf) {
    const std::string seed = RandomBytes(32);
    const std::string iv = RandomBytes(12);
    std::string out;
    Put<std::uint32_t>(out, kSig1);
    Put<std::uint32_t>(out, kSig2);
    Put<std::uint32_t>(out, 0x00040000);
    PutField(out, kCipher, kChaChaCipher);
    PutField(out, kCompression, Le<std::uint32_t>(1));
    PutField(out, kMasterSeed, seed);
    PutField(out, kIv, iv);
    PutField(out, kKdfParams, WriteVariants(kdf));
    PutField(out, kEnd, "\r\n\r\n");
    std::string composite = CompositeKey(password);
    auto transformed = Argon2(composite, kdf);
    Wipe(composite);
    if (!transformed)
        return {};
    const std::string hmacBase = Sha512(seed + *transformed + '\x01');
    const std::string key = Sha256(seed + *transformed);
    Wipe(*transformed);
    const std::string header = out;
    out += Sha256(header);
    out += HmacSha256(BlockKey(~std::uint64_t{0}, hmacBase), header);

    std::string streamKey = RandomBytes(64);
    auto stream = InnerStream::Make(kChaCha20Stream, streamKey);
    std::string plain;
    PutField(plain, 1, Le<std::uint32_t>(kChaCha20Stream));
    PutField(plain, 2, streamKey);
    PutField(plain, 0, {});
    Wipe(streamKey);
    plain += WriteXml(db, *stream);
    const std::string encrypted = ChaCha20(key, iv, Gzip(plain));
    Wipe(plain);
    std::uint64_t index = 0;
    for (std::size_t pos = 0;; pos += kBlockSize, ++index) {
        const std::string_view data =
            std::string_view(encrypted).substr(std::min(pos, encrypted.size()), kBlockSize);
        out += BlockMac(index, hmacBase, data);
        Put<std::uint32_t>(out, static_cast<std::uint32_t>(data.size()));
        out += data;
        if (data.empty())
            break;
    }
    return out;
}

ReadResult ReadKdbx(std::string_view file, std::string_view password) {
    Cursor c{file};
    if (c.Get<std::uint32_t>() != kSig1 || c.Get<std::uint32_t>() != kSig2)
        return Fail(ReadFault::NotKdbx);
    c.pos = 0;
    const auto header = ReadHeader(c);
    if (!header)
        return Fail(ReadFault::Damaged, "header");
    if (header->major == 4)
        return ReadBody4(*header, c, password);
    if (header->major == 3)
        return ReadBody3(*header, c, password);
    return Fail(ReadFault::Unsupported, "version");
}

std::string FaultText(ReadFault fault) {
    switch (fault) {
    case ReadFault::None:
        return {};
    case ReadFault::NotKdbx:
        return "Die Datei ist keine KeePass-Datenbank (KDBX).";
    case ReadFault::Unsupported:
        return "Diese KDBX-Datei verwendet ein Verfahren, das nicht unterstützt wird.";
    case ReadFault::WrongPassword:
        return "Das Passwort ist falsch (oder die Datenbank braucht eine Schlüsseldatei).";
    case ReadFault::TooCostly:
        return "Die Schlüsselableitung der Datei ist unplausibel aufwendig.";
    case ReadFault::Damaged:
        return "Die KDBX-Datei ist beschädigt.";
    }
    return {};
}

} // namespace kdbx
