#include "store/DocumentVersion.h"

#include "engine/EngineError.h"
#include "engine/Table.h"
#include "engine/TableStore.h"
#include "platform/file/AtomicFile.h"
#include "store/EBdtError.h"
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
    for (std::size_t i = 0; i < kDocumentSlotCount; ++i)
        m_files[i] = m_dir.Path() + static_cast<char>('a' + i / kSlotsPerTable) +
                     SlotExtension(static_cast<int>(i));
    std::size_t entries = 0;
    const bool unpacked = written && UnpackDocument(packed, m_files, &entries);
    ::unlink(packed.c_str());
    // The first two tables always; later ones whole or not at all.
    if (entries < kEarliestSlotCount || entries % kSlotsPerTable != 0)
        return false;
    m_tables = static_cast<int>(entries / kSlotsPerTable);
    return unpacked;
}

DocumentVersion::Result DocumentVersion::Read(std::string_view bytes, bool ask) {
    m_values.assign(DocumentFields().size(), std::string());
    m_tables = kTableCount;
    if (bytes.empty())
        return Result::Read;
    if (!Unpack(bytes))
        return Result::Unreadable;
    try {
        std::vector<std::unique_ptr<engine::Table>> tables;
        for (int t = 0; t < m_tables; ++t)
            tables.push_back(engine::Table::Open(
                m_files[static_cast<std::size_t>(TableAt(TableIndex{t}).FirstSlot())],
                Session().Engine(), ask));
        const std::vector<DocumentField>& fields = DocumentFields();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const auto t = static_cast<std::size_t>(fields[i].table);
            if (t >= tables.size())
                continue; // a table the version was written without
            const engine::Table& table = *tables[t];
            const int index = table.FieldIndex(fields[i].name);
            if (index < 0)
                return Result::Unreadable;
            m_values[i] = table.Value(index);
        }
    } catch (const EPasswordCancelled&) {
        return Result::Cancelled;
    } catch (const std::exception&) {
        return Result::Unreadable;
    }
    m_protection = ProtectionOf(m_files[0]);
    return Result::Read;
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

bool ReadWorkingValues(const TableQueries& tables, FieldValues& values) {
    const std::vector<DocumentField>& fields = DocumentFields();
    values.assign(fields.size(), std::string());
    try {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            TQuery& table = *tables[static_cast<std::size_t>(fields[i].table)];
            values[i] = table.objFieldByName(fields[i].name)->propAsString();
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
                if (fields[i].table != t)
                    continue;
                if (!editing)
                    table.Edit();
                editing = true;
                table.objFieldByName(fields[i].name)->propAsString(values[i]);
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
