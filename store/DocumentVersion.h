#pragma once

#include "engine/Crypto.h"
#include "store/DocumentContainer.h"
#include "store/FieldMerge.h"
#include "store/WorkDirectory.h"

#include <string>
#include <string_view>

class TQuery;

// The working query of every table, indexed by TableIndex.
using TableQueries = std::array<TQuery*, kTableCount>;

// How a document's tables are protected: none, or the password set with this salt. A new
// password (set, changed) comes with a new salt.
struct ProtectionMark {
    bool isProtected = false;
    engine::Salt salt{};
    bool operator==(const ProtectionMark&) const = default;
};

// One version of a user's document read from its bytes: unpacked into a private working
// directory of its own, its tables opened through the engine and every field read. A version
// written before a later table existed reads that table's fields as empty.
class DocumentVersion {
public:
    enum class Result { Read, Unreadable, Cancelled };

    DocumentVersion() = default;
    DocumentVersion(const DocumentVersion&) = delete;
    DocumentVersion& operator=(const DocumentVersion&) = delete;

    // Empty bytes are a new user's document: every field empty. With ask, a protected table
    // that opens with none of the session's passwords asks through the session's password
    // request; giving up there is Cancelled.
    Result Read(std::string_view bytes, bool ask);
    const FieldValues& Values() const { return m_values; }
    const ProtectionMark& Protection() const { return m_protection; }
    // The table files (empty for a new user's document).
    const DocumentFiles& Files() const { return m_files; }
    // How many of the tables the version holds (all for a new user's document).
    int TablesHeld() const { return m_tables; }

private:
    bool Unpack(std::string_view bytes);

    WorkDirectory m_dir;
    DocumentFiles m_files;
    FieldValues m_values;
    ProtectionMark m_protection;
    int m_tables = kTableCount;
};

// The protection of the table whose .DB is at path; unprotected when it cannot be read.
ProtectionMark ProtectionOf(const std::string& tablePath);

// Every field of the open working tables, as stored (memos with their line ends).
// False when a table is not open or a field cannot be read.
bool ReadWorkingValues(const TableQueries& tables, FieldValues& values);
// Writes the given fields of values into the working tables, one post per table that changes.
bool WriteWorkingValues(const TableQueries& tables, const FieldValues& values,
                        const std::vector<std::size_t>& fields);
