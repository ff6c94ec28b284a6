#pragma once

#include "engine/Crypto.h"
#include "store/DocumentContainer.h"
#include "store/FieldMerge.h"
#include "store/WorkDirectory.h"

#include <string>
#include <string_view>

class TQuery;

// How a document's tables are protected: none, or the password set with this salt. A new
// password (set, changed) comes with a new salt.
struct ProtectionMark {
    bool isProtected = false;
    engine::Salt salt{};
    bool operator==(const ProtectionMark&) const = default;
};

// One version of a user's document read from its bytes: unpacked into a private working
// directory of its own, its two tables opened through the engine and every field read.
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
    // The six table files (empty for a new user's document).
    const DocumentFiles& Files() const { return m_files; }

private:
    bool Unpack(std::string_view bytes);

    WorkDirectory m_dir;
    DocumentFiles m_files;
    FieldValues m_values;
    ProtectionMark m_protection;
};

// The protection of the table whose .DB is at path; unprotected when it cannot be read.
ProtectionMark ProtectionOf(const std::string& tablePath);

// Every field of the two open working tables, as stored (memos with their line ends).
// False when a table is not open or a field cannot be read.
bool ReadWorkingValues(TQuery& first, TQuery& second, FieldValues& values);
// Writes the given fields of values into the working tables, one post per table that changes.
bool WriteWorkingValues(TQuery& first, TQuery& second, const FieldValues& values,
                        const std::vector<std::size_t>& fields);
