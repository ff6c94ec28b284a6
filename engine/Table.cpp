#include "engine/Table.h"

#include "engine/EngineError.h"

namespace engine {

namespace {

// The data key of a table with key slots, unwrapped by a password (newest first) or a
// recovery the session holds; nullptr when none fits.
std::unique_ptr<SecretKey> UnwrapDataKey(const TableImage& header, Session& session) {
    const KeySlots& keySlots = *header.keySlots;
    auto dataKey = std::make_unique<SecretKey>();
    const std::string passwordAd = KeySlotAd(header, false);
    const auto& passwords = session.Passwords();
    for (size_t i = passwords.size(); i-- > 0;) {
        const SecretKey* kek = session.KeyFor(passwords[i].view(), header.salt, header.kdf);
        if (!kek)
            throw EngineError(Errc::Io, "key derivation failed");
        if (UnwrapKey(keySlots.password, *kek, passwordAd, *dataKey))
            return dataKey;
    }
    if (keySlots.hasRecovery) {
        const std::string recoveryAd = KeySlotAd(header, true);
        for (const auto& kek : session.RecoveryKeks()) {
            if (UnwrapKey(keySlots.recovery, *kek, recoveryAd, *dataKey))
                return dataKey;
        }
    }
    return nullptr;
}

} // namespace

std::unique_ptr<Table> Table::Open(const std::string& tablePath, Session& session,
                                   bool askForPassword) {
    TableStore store(TableStore::BaseOf(tablePath));
    ParsedTable parsed = store.Read();
    std::unique_ptr<ByteSource> memoFile = store.MemoFile();
    bool canonical = false;
    std::optional<TableImage> image;
    std::unique_ptr<SecretKey> key;
    if (!parsed.header.isProtected) {
        image = DecodeRecords(parsed, nullptr, *memoFile, &canonical);
    } else if (parsed.header.keySlots) {
        for (;;) {
            key = UnwrapDataKey(parsed.header, session);
            if (key)
                break;
            if (!askForPassword || !session.onPasswordRequest || !session.onPasswordRequest())
                throw EngineError(Errc::NoAccess, "table is protected: no valid password");
        }
        image = DecodeRecords(parsed, key.get(), *memoFile, &canonical);
        if (!image)
            throw EngineError(Errc::Format, "table damaged: records do not open with its key");
    } else {
        for (;;) {
            const auto& passwords = session.Passwords();
            for (size_t i = passwords.size(); i-- > 0 && !image;) {
                const SecretKey* k =
                    session.KeyFor(passwords[i].view(), parsed.header.salt, parsed.header.kdf);
                if (!k)
                    throw EngineError(Errc::Io, "key derivation failed");
                image = DecodeRecords(parsed, k, *memoFile, &canonical);
                if (!image)
                    continue;
                key = std::make_unique<SecretKey>(*k);
                // The first layout gave every table its own salt; such a table is written
                // again with the key the session derived first from this password.
                Salt shared{};
                if (parsed.layout == 1) {
                    if (const SecretKey* first =
                            session.FirstKeyOf(passwords[i].view(), parsed.header.kdf, shared)) {
                        *key = *first;
                        image->salt = shared;
                    }
                }
            }
            if (image)
                break;
            if (!askForPassword || !session.onPasswordRequest || !session.onPasswordRequest())
                throw EngineError(Errc::NoAccess, "table is protected: no valid password");
        }
    }
    std::unique_ptr<Table> table(new Table(tablePath, std::move(*image), std::move(key)));
    table->m_memo = parsed.memo;
    table->m_memoReusable = parsed.layout == 2 && canonical;
    return table;
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

void Table::Post(RecordChanges& changes) {
    const auto& fields = m_image.fields;
    if (changes.size() != fields.size())
        throw EngineError(Errc::BadArgument, "record does not match the fields");
    for (size_t i = 0; i < changes.size(); ++i) {
        if (changes[i])
            CheckFieldValue(fields[i], *changes[i]);
    }
    const bool inserted = m_image.records.empty();
    bool memoChanged = inserted || !m_memoReusable;
    if (inserted)
        m_image.records.emplace_back(fields.size());
    auto& record = m_image.records[0];
    for (size_t i = 0; i < changes.size(); ++i) {
        if (changes[i] && fields[i].type == FieldType::Memo && *changes[i] != record[i])
            memoChanged = true;
    }
    // The new values are swapped in for the encoding and swapped back if the commit fails, so
    // no value is copied.
    auto swapValues = [&] {
        for (size_t i = 0; i < changes.size(); ++i) {
            if (changes[i])
                std::swap(record[i], *changes[i]);
        }
    };
    swapValues();
    const uint64_t generation = m_image.generation;
    m_image.generation = generation + 1;
    MemoTie tie = m_memo;
    try {
        TableFiles files;
        if (memoChanged) {
            tie.generation = m_image.generation;
            RandomBytes(tie.id.data(), tie.id.size());
            files.mb = EncodeMemoFile(m_image, tie, m_key.get());
        }
        EncodeRecordFiles(m_image, tie, m_key.get(), files.px, files.db);
        m_store.Commit(files, memoChanged);
    } catch (...) {
        m_image.generation = generation;
        swapValues();
        if (inserted)
            m_image.records.clear();
        throw;
    }
    m_memo = tie;
    m_memoReusable = true;
    for (auto& old : changes) {
        if (old && m_image.isProtected)
            Wipe(*old);
        old.reset();
    }
}

void Table::Post(const std::vector<std::string>& values) {
    RecordChanges changes(values.begin(), values.end());
    Post(changes);
}

TableImage Table::TakeImage() && {
    return std::move(m_image);
}

bool RecoveryOpens(const std::string& tablePath, const SecretKey& recovery) {
    try {
        const ParsedTable parsed = TableStore(TableStore::BaseOf(tablePath)).Read();
        const auto& keySlots = parsed.header.keySlots;
        if (!keySlots || !keySlots->hasRecovery)
            return false;
        SecretKey kek, dataKey;
        RecoveryKek(recovery, kek);
        return UnwrapKey(keySlots->recovery, kek, KeySlotAd(parsed.header, true), dataKey);
    } catch (const EngineError&) {
        return false;
    }
}

} // namespace engine
