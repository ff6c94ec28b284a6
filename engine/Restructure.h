#pragma once

#include "engine/Session.h"

#include <string>
#include <vector>

namespace engine {

class Table;

// A change of one table's protection.
struct RestructureRequest {
    std::string tablePath; // "<dir>/<name>.DB"
    bool isProtected = false;
    std::string password; // the new password when isProtected
};

// What becomes of the recovery of the tables that stay or become protected. Keep: a table
// whose data key stays keeps its recovery slot. An unprotected table has none.
enum class RecoveryChange { Keep, Replace, Remove };

// Sets, changes or clears the passwords of several tables, all or nothing: a protected table
// opens with the session's passwords and recoveries (no request is asked). Protected tables
// are sealed with one data key for the call: that of the first table that has one, else (and
// whenever the recovery is replaced or removed) a new random one; its slots wrap it by the
// password's key (one salt per new password, so its key is derived once) and, with Replace, by
// newRecovery's key. A table already sealed with that data key gets new slots only: its records and
// memo file stay as they are. Every new set of files is written and flushed first; then the tables
// are committed one after the other, and when a commit fails the tables committed before it get
// their previous files back. Throws EngineError.
void RestructureTables(Session& session, const std::vector<RestructureRequest>& requests,
                       RecoveryChange recovery = RecoveryChange::Keep,
                       const SecretKey* newRecovery = nullptr);

// Gives the table at tablePath the protection of the one at modelPath: none, or the model's
// salt, cost, key and key slots (so its password and recovery open it too). Both open with the
// session's passwords (no request is asked); nothing is written when they already agree. Throws
// EngineError.
void ProtectLike(Session& session, const std::string& tablePath, const std::string& modelPath);
// The same with the model already open (its records are not read again).
void ProtectLike(Session& session, const std::string& tablePath, const Table& model);

} // namespace engine
