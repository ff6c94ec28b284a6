#pragma once

#include "engine/Crypto.h"
#include "store/DocumentContainer.h"
#include "store/FieldMerge.h"
#include "store/Versions.h"
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
    // Its working folder goes with it, whatever the read came to.
    ~DocumentVersion() { m_dir.Remove(); }
    DocumentVersion(const DocumentVersion&) = delete;
    DocumentVersion& operator=(const DocumentVersion&) = delete;

    // Empty bytes are a new user's document: every field empty. With ask, a protected table
    // that opens with none of the session's passwords asks through the session's password
    // request; giving up there is Cancelled.
    Result Read(std::string_view bytes, bool ask);
    // The same for the document at path, read once.
    Result ReadFile(const std::string& path, bool ask);
    // Its causal state (unstamped for a document from before stamps).
    const versions::State& State() const { return m_state; }
    const ProtectionMark& Protection() const { return m_protection; }
    // The table files (empty for a new user's document).
    const DocumentFiles& Files() const { return m_files; }
    // How many of the tables the version holds (all for a new user's document).
    int TablesHeld() const { return m_tables; }

private:
    bool Unpack(std::string_view bytes);
    bool UnpackFrom(const std::string& path);
    Result ReadTables(bool ask);

    WorkDirectory m_dir;
    DocumentFiles m_files;
    ProtectionMark m_protection;
    versions::State m_state;
    int m_tables = kTableCount;
};

// The protection of the table whose .DB is at path; unprotected when it cannot be read.
ProtectionMark ProtectionOf(const std::string& tablePath);
// The protection of an open query's table, without reading its files; unprotected when closed.
ProtectionMark ProtectionOf(const TQuery& query);
// A protection as a value of the causal state: "" for none, else the salt in hex.
std::string MarkText(const ProtectionMark& mark);

// Reads and writes (one post) that memo of the open table; false on an engine error.
bool ReadStampText(TQuery& table, std::string& text);
bool WriteStampText(TQuery& table, const std::string& text);

// Every field of the open working tables, as stored (memos with their line ends).
// False when a table is not open or a field cannot be read.
bool ReadWorkingValues(const TableQueries& tables, FieldValues& values);
// The fields of the open working tables whose values differ from known (indexed like
// DocumentFields()), with their values; no copy of the others. False as ReadWorkingValues.
bool ReadChangedValues(const TableQueries& tables, const std::vector<const std::string*>& known,
                       std::vector<std::pair<std::size_t, std::string>>& changed);
// Writes the given fields of values into the working tables, one post per table that changes.
bool WriteWorkingValues(const TableQueries& tables, const FieldValues& values,
                        const std::vector<std::size_t>& fields);
