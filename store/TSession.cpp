#include "store/TSession.h"

#include "engine/Crypto.h"
#include "engine/Session.h"

TSession::TSession() : m_engine(std::make_unique<engine::Session>()) {
    m_engine->onPasswordRequest = [this] {
        bool again = false;
        OnPassword(*this, again);
        return again;
    };
}

TSession::~TSession() = default;

void TSession::AddPassword(const std::string& password) {
    m_engine->AddPassword(password);
}

void TSession::AddRecovery(const engine::SecretKey& recovery) {
    m_engine->AddRecovery(recovery);
}

void TSession::ClearPasswords() {
    m_engine->ClearPasswords();
}

void TSession::SetKdfCost(unsigned long long opsLimit, size_t memLimitBytes) {
    m_engine->newTableKdf = {opsLimit, memLimitBytes};
}

void TSession::ResetKdfCost() {
    m_engine->newTableKdf = engine::DefaultKdf();
}

TSession& Session() {
    static TSession session;
    return session;
}

void InitBDTExceptions() {
    engine::EnsureSodium();
}
