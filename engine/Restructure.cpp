#include "engine/Restructure.h"

#include "engine/EngineError.h"
#include "engine/Table.h"

#include <memory>

namespace engine {

void RestructureTables(Session& session, const std::vector<RestructureRequest>& requests) {
    struct Prepared {
        TableStore store;
        TableFiles before, after;
    };
    // One salt per new password for all tables of the call: the session derives its key once
    // and keeps it, so opening the tables again afterwards derives nothing.
    struct NewKey {
        const std::string* password;
        Salt salt;
        const SecretKey* key;
    };
    std::vector<NewKey> newKeys;
    std::vector<Prepared> prepared;
    for (const RestructureRequest& rq : requests) {
        if (rq.isProtected && rq.password.empty())
            throw EngineError(Errc::BadArgument, "empty password");
        TableStore store(TableStore::BaseOf(rq.tablePath));
        TableImage image = std::move(*Table::Open(rq.tablePath, session, false)).TakeImage();
        image.generation += 1;
        image.isProtected = rq.isProtected;
        const SecretKey* key = nullptr;
        if (rq.isProtected) {
            image.kdf = session.newTableKdf;
            const NewKey* known = nullptr;
            for (const NewKey& k : newKeys) {
                if (*k.password == rq.password)
                    known = &k;
            }
            if (!known) {
                NewKey k{&rq.password, {}, nullptr};
                RandomBytes(k.salt.data(), k.salt.size());
                k.key = session.KeyFor(rq.password, k.salt, image.kdf);
                if (!k.key)
                    throw EngineError(Errc::BadArgument, "key derivation failed");
                newKeys.push_back(k);
                known = &newKeys.back();
            }
            image.salt = known->salt;
            key = known->key;
        } else {
            image.kdf = {};
            image.salt = {};
        }
        TableFiles after = EncodeTable(image, key);
        for (auto& record : image.records)
            for (std::string& v : record)
                Wipe(v);
        prepared.push_back({store, store.ReadRaw(), std::move(after)});
    }
    for (size_t i = 0; i < prepared.size(); ++i) {
        try {
            prepared[i].store.Commit(prepared[i].after);
        } catch (const EngineError& e) {
            for (size_t j = 0; j < i; ++j) {
                try {
                    prepared[j].store.Commit(prepared[j].before);
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
    const std::unique_ptr<Table> model = Table::Open(modelPath, session, false);
    std::unique_ptr<Table> table = Table::Open(tablePath, session, false);
    if (model->IsProtected() == table->IsProtected() &&
        (!model->IsProtected() || model->KeySalt() == table->KeySalt()))
        return;
    TableStore store(TableStore::BaseOf(tablePath));
    TableImage image = std::move(*table).TakeImage();
    image.generation += 1;
    image.isProtected = model->IsProtected();
    image.salt = model->IsProtected() ? model->KeySalt() : Salt{};
    image.kdf = model->IsProtected() ? model->KeyCost() : KdfParams{};
    TableFiles after = EncodeTable(image, model->Key());
    for (auto& record : image.records)
        for (std::string& v : record)
            Wipe(v);
    store.Commit(after);
}

} // namespace engine
