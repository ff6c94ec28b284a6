#pragma once

#include "engine/Crypto.h"

#include <functional>
#include <string>
#include <vector>

namespace engine {

// The passwords given so far (memory only) and the password request of protected tables.
class Session {
public:
    Session() = default;
    ~Session() { ClearPasswords(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void AddPassword(const std::string& password);
    void ClearPasswords();
    const std::vector<std::string>& Passwords() const { return m_passwords; }
    // Changes with every ClearPasswords(), so a caller walking the list notices a new one.
    unsigned Clears() const { return m_clears; }

    // Asked when a protected table does not open with the passwords held; returns the
    // continue flag: true makes the engine try the passwords added since and ask again.
    std::function<bool()> onPasswordRequest;

    // Key-derivation cost for tables protected through this session.
    KdfParams newTableKdf = DefaultKdf();

private:
    std::vector<std::string> m_passwords;
    unsigned m_clears = 0;
};

} // namespace engine
