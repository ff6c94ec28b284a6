// Feeds arbitrary bytes to the table-file reader. The first four bytes give the lengths of the
// .DB and .PX parts (little endian, 16 bits each); the rest is the .MB. Protected tables are
// read with an all-zero key, so the decryption and the record reader both see the input. The
// fuzz build checks no checksums, so altered files reach the record reader.
#include "engine/EngineError.h"
#include "engine/TableImage.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    std::string input(reinterpret_cast<const char*>(data) + 4, size - 4);
    size_t dbLength = std::min<size_t>(data[0] | (data[1] << 8), input.size());
    size_t pxLength = std::min<size_t>(data[2] | (data[3] << 8), input.size() - dbLength);
    engine::TableFiles files{input.substr(0, dbLength), input.substr(dbLength, pxLength),
                             input.substr(dbLength + pxLength)};
    try {
        engine::ParsedTable parsed = engine::ParseTable(files.db, files.px);
        engine::SecretKey key;
        engine::StringSource memo(files.mb);
        std::optional<engine::TableImage> image =
            engine::DecodeRecords(parsed, parsed.header.isProtected ? &key : nullptr, memo);
        if (image && !parsed.header.isProtected) {
            // What is read is written back the same.
            engine::TableFiles again = engine::EncodeTable(*image, nullptr);
            std::optional<engine::TableImage> back = engine::DecodeTable(again, nullptr);
            if (!back || back->records != image->records)
                __builtin_trap();
        }
    } catch (const engine::EngineError&) {
    }
    return 0;
}
