#pragma once

#include "engine/TableImage.h"

#include <string>

namespace engine {

// The three files of a table on disk, base name + ".DB", ".PX", ".MB".
//
// Commit protocol: the new contents go to "<file>.new" (written, fsync'd); the current .PX and
// .MB are hard-linked to "<file>.old"; the new .PX and .MB are renamed into place; the rename of
// the new .DB is the commit. Until then the .DB in place is the old one and names the digests of
// the old .PX and .MB, which Read() finds in place or in their ".old" copies and puts back.
class TableStore {
public:
    explicit TableStore(std::string base) : m_base(std::move(base)) {}
    // "x.DB" (any case) or "x" gives base "x".
    static std::string BaseOf(const std::string& tablePath);

    // Reads and checks the three files, restoring a half-finished commit's old files.
    ParsedTable Read() const;
    // Writes the three files crash-safely; throws EngineError when the commit did not happen.
    void Commit(const TableFiles& files) const;
    // The raw bytes as they are on disk (for rollback).
    TableFiles ReadRaw() const;

    std::string Path(const char* ext) const { return m_base + ext; }

private:
    std::string m_base;
};

} // namespace engine
