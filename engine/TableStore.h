#pragma once

#include "engine/TableImage.h"

#include <memory>
#include <string>

namespace engine {

// The three files of a table on disk, base name + ".DB", ".PX", ".MB".
//
// Commit protocol: the new contents go to "<file>.new" (written, fsync'd); the current .PX (and
// .MB, when it is written) are hard-linked to "<file>.old"; the new .PX and .MB are renamed into
// place; the rename of the new .DB is the commit. Until then the .DB in place is the old one and
// names the old .PX (by digest) and .MB (by generation and id), which Read() finds in place or
// in their ".old" copies and puts back. A commit without the memo file leaves it untouched.
class TableStore {
public:
    explicit TableStore(std::string base) : m_base(std::move(base)) {}
    // "x.DB" (any case) or "x" gives base "x".
    static std::string BaseOf(const std::string& tablePath);

    // Reads and checks the .DB and .PX and the memo file's tie, restoring a half-finished
    // commit's old files. The memo file's blocks and checksum are read by DecodeRecords.
    ParsedTable Read() const;
    // The memo file, for DecodeRecords after Read().
    std::unique_ptr<ByteSource> MemoFile() const;
    // Writes the files crash-safely (the memo file only withMemo); throws EngineError when the
    // commit did not happen.
    void Commit(const TableFiles& files, bool withMemo = true) const;
    // The raw bytes as they are on disk (for rollback).
    TableFiles ReadRaw() const;

    std::string Path(const char* ext) const { return m_base + ext; }

private:
    std::string m_base;
};

} // namespace engine
