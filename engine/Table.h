#pragma once

#include "engine/Session.h"
#include "engine/TableImage.h"
#include "engine/TableStore.h"

#include <memory>
#include <optional>
#include <string>

namespace engine {

// New values for some fields of a record; nullopt keeps a field as it is.
using RecordChanges = std::vector<std::optional<std::string>>;

// An open table: its definition and records in memory, written back by Post().
class Table {
public:
    // Opens "<base>.DB" with its index and memo file. A protected table is tried with the
    // session's passwords, newest first; when none fits and askForPassword is set, the session's
    // request is asked and the passwords tried again while it answers "continue". Throws
    // EngineError.
    static std::unique_ptr<Table> Open(const std::string& tablePath, Session& session,
                                       bool askForPassword = true);
    ~Table();

    const std::string& Path() const { return m_path; }
    const std::vector<FieldDesc>& Fields() const { return m_image.fields; }
    // -1 when the table lacks the field.
    int FieldIndex(const std::string& name) const;
    size_t RecordCount() const { return m_image.records.size(); }
    // The current (first) record; a table without records reads as empty fields.
    const std::string& Value(int field) const;
    bool IsProtected() const { return m_image.isProtected; }
    // Whether the table's data key also opens by a recovery.
    bool HasRecovery() const { return m_image.keySlots && m_image.keySlots->hasRecovery; }
    // The key the table opened with (the data key with key slots); nullptr for an unprotected
    // table.
    const SecretKey* Key() const { return m_key.get(); }
    const Salt& KeySalt() const { return m_image.salt; }
    const KdfParams& KeyCost() const { return m_image.kdf; }
    const std::optional<KeySlots>& Slots() const { return m_image.keySlots; }

    // Changes the current record (inserting one of empty fields first when the table has none)
    // and writes what changed: the .PX and .DB always, the memo file only when a memo differs.
    // On success the new values have been moved out of changes. Throws EngineError for an
    // oversized text or a failed commit; the table in memory and changes stay as they were then.
    void Post(RecordChanges& changes);
    // The whole record.
    void Post(const std::vector<std::string>& values);

    // For restructure: the image, taking it out of the table.
    TableImage TakeImage() &&;

private:
    Table(std::string path, TableImage image, std::unique_ptr<SecretKey> key)
        : m_path(std::move(path)), m_store(TableStore::BaseOf(m_path)), m_image(std::move(image)),
          m_key(std::move(key)) {}
    std::string m_path;
    TableStore m_store;
    TableImage m_image;
    std::unique_ptr<SecretKey> m_key;
    MemoTie m_memo;              // the memo file in place
    bool m_memoReusable = false; // layout 2 with memo references a post can keep
};

// Whether recovery opens the table at tablePath (unwraps its data key); false for a table
// without a recovery or one that cannot be read.
bool RecoveryOpens(const std::string& tablePath, const SecretKey& recovery);

} // namespace engine
