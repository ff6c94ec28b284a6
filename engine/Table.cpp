#include "engine/Table.h"

#include "engine/EngineError.h"

namespace engine {

std::unique_ptr<Table> Table::Open(const std::string& tablePath, Session& session,
                                   bool askForPassword) {
    ParsedTable parsed = TableStore(TableStore::BaseOf(tablePath)).Read();
    if (!parsed.header.isProtected) {
        std::optional<TableImage> image = DecodeRecords(parsed, nullptr);
        return std::unique_ptr<Table>(new Table(tablePath, std::move(*image), nullptr));
    }
    size_t tried = 0;
    unsigned clears = session.Clears();
    for (;;) {
        const auto& passwords = session.Passwords();
        for (; tried < passwords.size(); ++tried) {
            auto key = std::make_unique<SecretKey>();
            if (!DeriveKey(passwords[tried], parsed.header.salt, parsed.header.kdf, *key))
                throw EngineError(Errc::Io, "key derivation failed");
            if (std::optional<TableImage> image = DecodeRecords(parsed, key.get()))
                return std::unique_ptr<Table>(
                    new Table(tablePath, std::move(*image), std::move(key)));
        }
        if (!askForPassword || !session.onPasswordRequest || !session.onPasswordRequest())
            throw EngineError(Errc::NoAccess, "table is protected: no valid password");
        if (session.Clears() != clears) {
            tried = 0; // the list was cleared meanwhile: every password in it is new
            clears = session.Clears();
        }
    }
}

Table::~Table() {
    for (auto& record : m_image.records)
        for (std::string& v : record)
            Wipe(v);
}

int Table::FieldIndex(const std::string& name) const {
    for (size_t i = 0; i < m_image.fields.size(); ++i) {
        if (m_image.fields[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

const std::string& Table::Value(int field) const {
    static const std::string empty;
    if (m_image.records.empty() || field < 0 || static_cast<size_t>(field) >= m_image.fields.size())
        return empty;
    return m_image.records[0][field];
}

void Table::Post(const std::vector<std::string>& values) {
    if (values.size() != m_image.fields.size())
        throw EngineError(Errc::BadArgument, "record does not match the fields");
    for (size_t i = 0; i < values.size(); ++i)
        CheckFieldValue(m_image.fields[i], values[i]);
    TableImage next = m_image;
    next.generation = m_image.generation + 1;
    if (next.records.empty())
        next.records.push_back(values);
    else
        next.records[0] = values;
    m_store.Commit(EncodeTable(next, m_key.get()));
    m_image = std::move(next);
}

} // namespace engine
