#pragma once

#include "exchange/KdbxModel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The XML inside a KDBX file, and KeePass 2's XML export (the same document with protected
// values in the clear).

namespace kdbx {

// The keystream that hides protected values inside the XML: every protected value, in document
// order, is XORed with the stream's next bytes. ids: 2 Salsa20, 3 ChaCha20.
class InnerStream {
public:
    static std::optional<InnerStream> Make(std::uint32_t id, std::string_view key);
    std::string Apply(std::string_view data);

private:
    InnerStream() = default;
    std::string NextBlock();

    std::uint32_t m_id = 0;
    std::string m_key;
    std::string m_nonce;
    std::string m_block;
    std::size_t m_used = 0;
    std::uint64_t m_counter = 0;
};

inline constexpr std::uint32_t kChaCha20Stream = 3;
inline constexpr std::uint32_t kSalsa20Stream = 2;

// The document for db; protected values through stream.
std::string WriteXml(const KdbxDatabase& db, InnerStream& stream);

// The database of a KDBX document (stream given) or of a KeePass 2 XML export (none);
// attachmentSizes are the sizes of the file's binaries by index (a KDBX 4 inner header's), more
// are read from the document's own Meta. Entry histories are passed over. Nothing, and error
// set, for a document that is no such database.
std::optional<KdbxDatabase> ReadXml(std::string_view xml, InnerStream* stream,
                                    std::vector<std::uint64_t> attachmentSizes, std::string& error);

} // namespace kdbx
