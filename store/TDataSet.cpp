#include "store/TDataSet.h"

#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/TableImage.h"
#include "store/EBdtError.h"

TDataSet::TDataSet() = default;
TDataSet::~TDataSet() = default;

TField* TDataSet::objFieldByName(const std::string& name) {
    if (!m_table)
        throw EBdtError("Die Datenmenge ist nicht geöffnet.");
    int index = m_table->FieldIndex(name);
    if (index < 0)
        throw EBdtError("Feld '" + name + "' nicht gefunden.");
    return m_fields[index].get();
}

void TDataSet::Edit() {
    if (!m_table)
        throw EBdtError("Die Datenmenge ist nicht geöffnet.");
    if (!m_editable)
        throw EBdtError("Die Datenmenge ist schreibgeschützt.");
    if (m_editing)
        return;
    m_buffer.assign(m_fields.size(), std::nullopt);
    m_editing = true;
}

void TDataSet::Post() {
    if (!m_table || !m_editing)
        throw EBdtError("Die Datenmenge ist nicht im Bearbeitungsmodus.");
    try {
        m_table->Post(m_buffer);
    } catch (const engine::EngineError& e) {
        throw EBdtError(e.what());
    }
    m_editing = false;
    m_buffer.clear();
}

void TDataSet::Cancel() {
    m_editing = false;
    m_buffer.clear();
}

void TDataSet::propActive(bool active) {
    if (!active)
        Close();
    else if (!m_table)
        DoOpen();
}

std::string TDataSet::FieldValue(int index) const {
    if (m_editing && m_buffer.at(index))
        return *m_buffer[index];
    return m_table ? m_table->Value(index) : std::string();
}

const std::string& TDataSet::FieldValueRef(int index) const {
    static const std::string none;
    if (m_editing && m_buffer.at(index))
        return *m_buffer[index];
    return m_table ? m_table->Value(index) : none;
}

void TDataSet::SetFieldValue(int index, std::string value) {
    if (!m_table || !m_editing)
        throw EBdtError("Die Datenmenge ist nicht im Bearbeitungsmodus.");
    try {
        engine::CheckFieldValue(m_table->Fields().at(index), value);
    } catch (const engine::EngineError& e) {
        throw EBdtError(e.what());
    }
    m_buffer.at(index) = std::move(value);
}

void TDataSet::Attach(std::unique_ptr<engine::Table> table, bool editable) {
    Close();
    m_table = std::move(table);
    m_editable = editable;
    const auto& fields = m_table->Fields();
    for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
        if (fields[i].type == engine::FieldType::Memo)
            m_fields.push_back(std::make_unique<TBlobField>(*this, i, fields[i].name));
        else
            m_fields.push_back(std::make_unique<TField>(*this, i, fields[i].name));
    }
}

void TDataSet::Close() {
    Cancel();
    m_fields.clear();
    m_table.reset();
}
