#include "store/DocumentVersion.h"

#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/TableStore.h"
#include "platform/file/AtomicFile.h"
#include "platform/file/FileReader.h"
#include "platform/file/LargeBuffer.h"
#include "store/EBdtError.h"
#include "store/TField.h"
#include "store/TQuery.h"
#include "store/TSession.h"

#include <fcntl.h>
#include <unistd.h>

#include <memory>

bool DocumentVersion::Unpack(std::string_view bytes) {
    if (!m_dir.Make())
        return false;
    const std::string packed = m_dir.Path() + "version.qlr";
    if (!m_dir.CreateFile(packed))
        return false;
    const int fd = ::open(packed.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    const bool written = fd >= 0 && WriteAllToFd(fd, packed, bytes);
    if (fd >= 0)
        ::close(fd);
    const bool unpacked = written && UnpackFrom(packed);
    ::unlink(packed.c_str());
    return unpacked;
}

bool DocumentVersion::UnpackFrom(const std::string& path) {
    for (std::size_t i = 0; i < kDocumentSlotCount; ++i)
        m_files[i] = m_dir.Path() + static_cast<char>('a' + i / kSlotsPerTable) +
                     SlotExtension(static_cast<int>(i));
    std::size_t entries = 0;
    if (!UnpackDocument(path, m_files, &entries, false))
        return false;
    // The first two tables always; later ones whole or not at all.
    if (entries < kEarliestSlotCount || entries % kSlotsPerTable != 0)
        return false;
    m_tables = static_cast<int>(entries / kSlotsPerTable);
    return true;
}

DocumentVersion::Result DocumentVersion::Read(std::string_view bytes, bool ask) {
    m_state = versions::Unstamped(FieldValues(DocumentFields().size()));
    m_tables = kTableCount;
    if (bytes.empty())
        return Result::Read;
    if (!Unpack(bytes))
        return Result::Unreadable;
    return ReadTables(ask);
}

DocumentVersion::Result DocumentVersion::ReadFile(const std::string& path, bool ask) {
    m_state = versions::Unstamped(FieldValues(DocumentFields().size()));
    m_tables = kTableCount;
    FileReader probe(path);
    if (probe && probe.size() == 0)
        return Result::Read; // a new user's document
    return probe && m_dir.Make() && UnpackFrom(path) ? ReadTables(ask) : Result::Unreadable;
}

namespace {

// The named field's value in the first record, moved out of the image (a table without records
// reads as empty); false when the table lacks the field.
bool TakeValue(engine::TableImage& image, const std::string& name, std::string& out) {
    for (std::size_t k = 0; k < image.fields.size(); ++k) {
        if (image.fields[k].name != name)
            continue;
        if (!image.records.empty())
            out = std::move(image.records[0][k]);
        return true;
    }
    return false;
}

} // namespace

DocumentVersion::Result DocumentVersion::ReadTables(bool ask) {
    FieldValues values(DocumentFields().size());
    std::string stateText;
    try {
        // The values are moved out of the opened tables, not copied.
        std::vector<engine::TableImage> images;
        for (int t = 0; t < m_tables; ++t)
            images.push_back(
                std::move(*engine::Table::Open(
                              m_files[static_cast<std::size_t>(TableAt(TableIndex{t}).FirstSlot())],
                              Session().Engine(), ask))
                    .TakeImage());
        const std::vector<DocumentField>& fields = DocumentFields();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const auto t = static_cast<std::size_t>(fields[i].table);
            if (t < images.size() && !TakeValue(images[t], fields[i].name, values[i]))
                return Result::Unreadable; // else a table the version was written without
        }
        const auto state = static_cast<std::size_t>(kStateTable);
        if (state < images.size())
            TakeValue(images[state], kStateField, stateText);
    } catch (const EPasswordCancelled&) {
        return Result::Cancelled;
    } catch (const std::exception&) {
        return Result::Unreadable;
    }
    m_protection = ProtectionOf(m_files[0]);
    versions::Decode(stateText, DocumentFieldNames(), std::move(values), MarkText(m_protection),
                     m_state);
    return Result::Read;
}

ProtectionMark ProtectionOf(const TQuery& query) {
    ProtectionMark mark;
    if (const engine::Table* table = query.CursorHandle(); table && table->IsProtected()) {
        mark.isProtected = true;
        mark.salt = table->KeySalt();
    }
    return mark;
}

std::string MarkText(const ProtectionMark& mark) {
    if (!mark.isProtected)
        return "";
    static const char* const digits = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : mark.salt) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

bool ReadStampText(TQuery& table, std::string& text) {
    try {
        text = table.objFieldByName(kStateField)->propAsString();
    } catch (const EBdtError&) {
        return false;
    }
    return true;
}

bool WriteStampText(TQuery& table, const std::string& text) {
    try {
        table.Edit();
        table.objFieldByName(kStateField)->propAsString(text);
        table.Post();
    } catch (const EBdtError&) {
        if (table.Editing())
            table.Cancel();
        return false;
    }
    return true;
}

ProtectionMark ProtectionOf(const std::string& tablePath) {
    ProtectionMark mark;
    try {
        const engine::ParsedTable parsed =
            engine::TableStore(engine::TableStore::BaseOf(tablePath)).Read();
        mark.isProtected = parsed.header.isProtected;
        if (mark.isProtected)
            mark.salt = parsed.header.salt;
    } catch (const std::exception&) {
    }
    return mark;
}

namespace {

// The field of an open table; nullptr when the table was written without it (an earlier layout
// of that table). Throws EBdtError when the table is not open.
TField* FieldOf(const TableQueries& tables, const DocumentField& field) {
    TQuery& table = *tables[static_cast<std::size_t>(field.table)];
    try {
        return table.objFieldByName(field.name);
    } catch (const EBdtError&) {
        if (!table.propActive())
            throw;
        return nullptr;
    }
}

} // namespace

bool ReadWorkingValues(const TableQueries& tables, FieldValues& values) {
    const std::vector<DocumentField>& fields = DocumentFields();
    values.assign(fields.size(), std::string());
    try {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (const TField* field = FieldOf(tables, fields[i]))
                AssignLarge(values[i], field->Ref());
        }
    } catch (const EBdtError&) {
        return false;
    }
    return true;
}

bool ReadChangedValues(const TableQueries& tables, const std::vector<const std::string*>& known,
                       std::vector<std::pair<std::size_t, std::string>>& changed) {
    const std::vector<DocumentField>& fields = DocumentFields();
    changed.clear();
    try {
        for (std::size_t i = 0; i < fields.size() && i < known.size(); ++i) {
            const TField* field = FieldOf(tables, fields[i]);
            if (field && field->Ref() != *known[i])
                changed.emplace_back(i, field->Ref());
        }
    } catch (const EBdtError&) {
        return false;
    }
    return true;
}

bool WriteWorkingValues(const TableQueries& tables, const FieldValues& values,
                        const std::vector<std::size_t>& changed) {
    const std::vector<DocumentField>& fields = DocumentFields();
    for (const TableInfo& info : kTables) {
        const TableIndex t = info.index;
        TQuery& table = *tables[static_cast<std::size_t>(t)];
        bool editing = false;
        try {
            for (std::size_t i : changed) {
                TField* field = fields[i].table == t ? FieldOf(tables, fields[i]) : nullptr;
                if (!field)
                    continue; // its table's layout lacks it: the value stays in the state
                if (!editing)
                    table.Edit();
                editing = true;
                field->propAsString(values[i]);
            }
            if (editing)
                table.Post();
        } catch (const EBdtError&) {
            if (table.Editing())
                table.Cancel();
            return false;
        }
    }
    return true;
}
