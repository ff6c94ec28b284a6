#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/TField.h"

namespace engine {
class Table;
}
using hDBICur = engine::Table*;

// A table's record set with its fields; the current record is the first one.
class TDataSet {
public:
    TDataSet();
    virtual ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    // Throws EBdtError for a field the table lacks or when the data set is not active.
    TField* objFieldByName(const std::string& name);
    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    // Begins editing the current record; throws EBdtError when inactive or read-only.
    void Edit();
    // Writes the edited record to the table files; throws EBdtError on failure (the edit
    // stays open then).
    void Post();
    // Drops the edit.
    void Cancel();
    bool Editing() const { return m_editing; }

    bool propActive() const { return m_table != nullptr; }
    // false closes (an open edit is dropped), true opens again.
    void propActive(bool active);

    // Internal: field values for TField.
    std::string FieldValue(int index) const;
    // The value without a copy, valid until the record or the edit changes.
    const std::string& FieldValueRef(int index) const;
    void SetFieldValue(int index, std::string value);

protected:
    // Opens the table; false on failure. Only EPasswordCancelled from the password event
    // passes through (see TQuery::Open).
    virtual bool DoOpen() = 0;
    // Takes over an opened table.
    void Attach(std::unique_ptr<engine::Table> table, bool editable);
    void Close();
    engine::Table* Table() const { return m_table.get(); }

private:
    std::unique_ptr<engine::Table> m_table;
    std::vector<std::unique_ptr<TField>> m_fields;
    // The values set since Edit(); the other fields keep the table's.
    std::vector<std::optional<std::string>> m_buffer;
    bool m_editing = false;
    bool m_editable = false;
};
