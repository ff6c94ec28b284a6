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
    std::vector<Prepared> prepared;
    for (const RestructureRequest& rq : requests) {
        if (rq.isProtected && rq.password.empty())
            throw EngineError(Errc::BadArgument, "empty password");
        std::unique_ptr<Table> table = Table::Open(rq.tablePath, session, false);
        TableStore store(TableStore::BaseOf(rq.tablePath));
        TableImage image = table->Image();
        image.generation += 1;
        image.isProtected = rq.isProtected;
        SecretKey key;
        if (rq.isProtected) {
            image.kdf = session.newTableKdf;
            RandomBytes(image.salt.data(), image.salt.size());
            if (!DeriveKey(rq.password, image.salt, image.kdf, key))
                throw EngineError(Errc::BadArgument, "key derivation failed");
        } else {
            image.kdf = {};
            image.salt = {};
        }
        TableFiles after = EncodeTable(image, rq.isProtected ? &key : nullptr);
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

} // namespace engine
