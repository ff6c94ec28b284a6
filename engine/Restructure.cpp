#include "engine/Restructure.h"

#include "engine/EngineError.h"
#include "engine/Table.h"

#include <sodium.h>

#include <memory>

namespace engine {

namespace {

struct Opened {
    TableStore store;
    TableFiles before;
    TableImage image;
    std::unique_ptr<SecretKey> key; // the data key when the table has key slots
};

// One salt per new password for all tables of the call: the session derives its key once
// and keeps it, so opening the tables again afterwards derives nothing.
struct NewKey {
    const std::string* password;
    Salt salt;
    const SecretKey* kek;
};

const NewKey& KeyOfPassword(Session& session, std::vector<NewKey>& keys,
                            const std::string& password) {
    for (const NewKey& k : keys) {
        if (*k.password == password)
            return k;
    }
    NewKey k{&password, {}, nullptr};
    RandomBytes(k.salt.data(), k.salt.size());
    k.kek = session.KeyFor(password, k.salt, session.newTableKdf);
    if (!k.kek)
        throw EngineError(Errc::BadArgument, "key derivation failed");
    keys.push_back(k);
    return keys.back();
}

Opened OpenForRestructure(Session& session, const std::string& path) {
    auto table = Table::Open(path, session, false);
    Opened o{TableStore(TableStore::BaseOf(path)), {}, {}, nullptr};
    if (table->Key())
        o.key = std::make_unique<SecretKey>(*table->Key());
    o.image = std::move(*table).TakeImage();
    if (!o.image.keySlots)
        o.key.reset(); // sealed by the password's key: no data key to keep
    o.before = o.store.ReadRaw();
    return o;
}

bool SameSlots(const std::optional<KeySlots>& a, const std::optional<KeySlots>& b) {
    if (!a || !b)
        return !a && !b;
    return a->password == b->password && a->hasRecovery == b->hasRecovery &&
           a->recovery == b->recovery;
}

void WipeRecords(TableImage& image) {
    for (auto& record : image.records)
        for (std::string& v : record)
            Wipe(v);
}

// The new files of one table: new key slots only when it keeps its data key, else sealed
// anew (or in the clear).
TableFiles Rewrite(Opened& t, const RestructureRequest& rq, Session& session,
                   std::vector<NewKey>& keys, const SecretKey& dataKey, RecoveryChange recovery,
                   const SecretKey* recoveryKek) {
    TableImage& image = t.image;
    const bool sameKey = t.key && sodium_memcmp(t.key->data(), dataKey.data(), 32) == 0;
    if (!rq.isProtected) {
        image.isProtected = false;
        image.kdf = {};
        image.salt = {};
        image.keySlots.reset();
    } else {
        const NewKey& k = KeyOfPassword(session, keys, rq.password);
        KeySlots keySlots = sameKey ? *image.keySlots : KeySlots{};
        image.isProtected = true;
        image.kdf = session.newTableKdf;
        image.salt = k.salt;
        keySlots.password = WrapKey(dataKey, *k.kek, KeySlotAd(image, false));
        if (recovery == RecoveryChange::Replace) {
            keySlots.hasRecovery = true;
            keySlots.recovery = WrapKey(dataKey, *recoveryKek, KeySlotAd(image, true));
        } else if (recovery == RecoveryChange::Remove) {
            keySlots.hasRecovery = false;
            keySlots.recovery = {};
        }
        image.keySlots = keySlots;
        if (sameKey) {
            const ParsedTable parsed = ParseTable(t.before.db, t.before.px);
            return {ReplaceKeySlots(t.before.db, parsed, image), t.before.px, t.before.mb};
        }
    }
    image.generation += 1;
    return EncodeTable(image, rq.isProtected ? &dataKey : nullptr);
}

} // namespace

void RestructureTables(Session& session, const std::vector<RestructureRequest>& requests,
                       RecoveryChange recovery, const SecretKey* newRecovery) {
    if (recovery == RecoveryChange::Replace && !newRecovery)
        throw EngineError(Errc::BadArgument, "no recovery given");
    for (const RestructureRequest& rq : requests) {
        if (rq.isProtected && rq.password.empty())
            throw EngineError(Errc::BadArgument, "empty password");
    }
    std::vector<Opened> tables;
    for (const RestructureRequest& rq : requests)
        tables.push_back(OpenForRestructure(session, rq.tablePath));
    SecretKey dataKey;
    bool known = false;
    for (const Opened& t : tables) {
        if (t.key && !known) {
            dataKey = *t.key;
            known = true;
        }
    }
    // A recovery replaced or removed gets a new data key with it: the old sheets (whose secret
    // the family may have put together) then open no copy of the tables written from now on,
    // not even with the old key slots of a backup.
    if (!known || recovery != RecoveryChange::Keep)
        RandomBytes(dataKey.data(), 32);
    SecretKey recoveryKek;
    if (newRecovery)
        RecoveryKek(*newRecovery, recoveryKek);

    struct Prepared {
        const TableStore* store;
        const TableFiles* before;
        TableFiles after;
        bool withMemo;
    };
    std::vector<NewKey> keys;
    std::vector<Prepared> prepared;
    for (size_t i = 0; i < tables.size(); ++i) {
        TableFiles after =
            Rewrite(tables[i], requests[i], session, keys, dataKey, recovery, &recoveryKek);
        const bool withMemo = after.mb != tables[i].before.mb;
        WipeRecords(tables[i].image);
        prepared.push_back({&tables[i].store, &tables[i].before, std::move(after), withMemo});
    }
    for (size_t i = 0; i < prepared.size(); ++i) {
        try {
            prepared[i].store->Commit(prepared[i].after, prepared[i].withMemo);
        } catch (const EngineError& e) {
            for (size_t j = 0; j < i; ++j) {
                try {
                    prepared[j].store->Commit(*prepared[j].before);
                } catch (const EngineError&) {
                    throw EngineError(Errc::Io, std::string(e.what()) +
                                                    "; restoring an earlier table failed too");
                }
            }
            throw;
        }
    }
}

void ProtectLike(Session& session, const std::string& tablePath, const std::string& modelPath) {
    ProtectLike(session, tablePath, *Table::Open(modelPath, session, false));
}

void ProtectLike(Session& session, const std::string& tablePath, const Table& model) {
    std::unique_ptr<Table> table = Table::Open(tablePath, session, false);
    if (model.IsProtected() == table->IsProtected() &&
        (!model.IsProtected() ||
         (model.KeySalt() == table->KeySalt() && SameSlots(model.Slots(), table->Slots()))))
        return;
    TableStore store(TableStore::BaseOf(tablePath));
    TableImage image = std::move(*table).TakeImage();
    image.generation += 1;
    image.isProtected = model.IsProtected();
    image.salt = model.IsProtected() ? model.KeySalt() : Salt{};
    image.kdf = model.IsProtected() ? model.KeyCost() : KdfParams{};
    image.keySlots = model.Slots(); // the same data key: its slots hold for this table too
    TableFiles after = EncodeTable(image, model.Key());
    for (auto& record : image.records)
        for (std::string& v : record)
            Wipe(v);
    store.Commit(after);
}

} // namespace engine
