#include "store/EngineCalls.h"

#include "engine/EngineError.h"
#include "engine/Restructure.h"
#include "engine/Table.h"
#include "store/TSession.h"

struct DatabaseHandle {
    std::string directory;
};

int OpenDatabase(hDBIDb* db) {
    if (!db)
        return kEngineBadArg;
    InitBDTExceptions();
    *db = new DatabaseHandle;
    return kEngineOk;
}

int SetDatabaseDirectory(hDBIDb db, const std::string& directory) {
    if (!db)
        return kEngineBadArg;
    db->directory = directory;
    if (!db->directory.empty() && db->directory.back() != '/')
        db->directory += '/';
    return kEngineOk;
}

int CloseDatabase(hDBIDb* db) {
    if (!db || !*db)
        return kEngineBadArg;
    delete *db;
    *db = nullptr;
    return kEngineOk;
}

int RestructureTable(hDBIDb db, const RestructureDesc& desc) {
    return RestructureTables(db, {desc});
}

int RestructureTables(hDBIDb db, const std::vector<RestructureDesc>& descs,
                      engine::RecoveryChange recovery, const engine::SecretKey* newRecovery) {
    if (!db || descs.empty())
        return kEngineBadArg;
    std::vector<engine::RestructureRequest> requests;
    for (const auto& d : descs) {
        if (d.tableType != "PARADOX" || d.tableName.empty() ||
            d.tableName.find('/') != std::string::npos || (d.isProtected && d.password.empty()))
            return kEngineBadArg;
        requests.push_back({db->directory + d.tableName, d.isProtected, d.password});
    }
    try {
        engine::RestructureTables(Session().Engine(), requests, recovery, newRecovery);
        return kEngineOk;
    } catch (const engine::EngineError& e) {
        if (e.code() == engine::Errc::NoAccess)
            return kEngineNoAccess;
        if (e.code() == engine::Errc::BadArgument)
            return kEngineBadArg;
        return kEngineError;
    } catch (const std::exception&) {
        return kEngineError;
    }
}

bool ProtectTableLike(const std::string& table, const std::string& model) {
    try {
        engine::ProtectLike(Session().Engine(), table, model);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool ProtectTableLike(const std::string& table, hDBICur model) {
    try {
        if (!model)
            return false;
        engine::ProtectLike(Session().Engine(), table, *model);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int GetCursorProps(hDBICur cursor, CursorProps* props) {
    if (!cursor || !props)
        return kEngineBadArg;
    props->tableName = cursor->Path();
    props->fieldCount = static_cast<int>(cursor->Fields().size());
    props->recordCount = static_cast<int>(cursor->RecordCount());
    props->isProtected = cursor->IsProtected() ? 1 : 0;
    return kEngineOk;
}
