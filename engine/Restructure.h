#pragma once

#include "engine/Session.h"

#include <string>
#include <vector>

namespace engine {

// A change of one table's protection.
struct RestructureRequest {
    std::string tablePath; // "<dir>/<name>.DB"
    bool isProtected = false;
    std::string password; // the new password when isProtected
};

// Sets, changes or clears the passwords of several tables, all or nothing: a protected table
// opens with the session's passwords and keys (no request is asked); the tables given one new
// password share one salt, so its key is derived once; every new set of files is written
// and flushed first; then the tables are committed one after the other, and when a commit fails
// the tables committed before it get their previous files back. Throws EngineError.
void RestructureTables(Session& session, const std::vector<RestructureRequest>& requests);

// Gives the table at tablePath the protection of the one at modelPath: none, or the model's
// salt, cost and key. Both open with the session's passwords (no request is asked); nothing is
// written when they already agree. Throws EngineError.
void ProtectLike(Session& session, const std::string& tablePath, const std::string& modelPath);

} // namespace engine
