#pragma once

#include <memory>
#include <string>

#include "store/EBdtError.h"
#include "store/TBdtEventSinkV2.h"

namespace engine {
class Session;
class SecretKey;
} // namespace engine

// The engine session: the password list (memory only) and the password-request event.
class TSession {
public:
    TSession();
    ~TSession();
    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    // Raised when a protected table does not open with the passwords held; a handler that
    // sets the flag makes the engine try again (after AddPassword, typically).
    TBdtEventSinkV2<TSession&, bool&> OnPassword;

    void AddPassword(const std::string& password);
    // A recovery secret put together from the sheets: tables with a recovery open with it.
    void AddRecovery(const engine::SecretKey& recovery);
    // Forgets every password and recovery (wiping them).
    void ClearPasswords();
    // Key-derivation cost of newly protected tables. Tests lower it; the program never does.
    void SetKdfCost(unsigned long long opsLimit, size_t memLimitBytes);
    // Back to the program's cost.
    void ResetKdfCost();

    engine::Session& Engine() { return *m_engine; }

private:
    std::unique_ptr<engine::Session> m_engine;
};

// The default session.
TSession& Session();
