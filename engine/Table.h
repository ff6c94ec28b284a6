#pragma once

#include "engine/Session.h"
#include "engine/TableImage.h"
#include "engine/TableStore.h"

#include <memory>
#include <string>

namespace engine {

// An open table: its definition and records in memory, written back by Post().
class Table {
public:
    // Opens "<base>.DB" with its index and memo file. A protected table is tried with every
    // password of the session; when none fits and askForPassword is set, the session's request
    // is asked and the new passwords tried while it answers "continue". Throws EngineError.
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

    // Replaces the current record (inserting it when the table has none) and writes the three
    // files. Throws EngineError for an oversized text or a failed commit; the table in memory
    // keeps its previous record then.
    void Post(const std::vector<std::string>& values);

    // For restructure.
    const TableImage& Image() const { return m_image; }

private:
    Table(std::string path, TableImage image, std::unique_ptr<SecretKey> key)
        : m_path(std::move(path)), m_store(TableStore::BaseOf(m_path)), m_image(std::move(image)),
          m_key(std::move(key)) {}
    std::string m_path;
    TableStore m_store;
    TableImage m_image;
    std::unique_ptr<SecretKey> m_key;
};

} // namespace engine
