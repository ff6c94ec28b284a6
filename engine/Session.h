#pragma once

#include "engine/Crypto.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace engine {

// The passwords given so far (memory only), the keys derived from them, and the password
// request of protected tables.
class Session {
public:
    Session() = default;
    ~Session() { ClearPasswords(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Adds a password as the newest; one given again becomes the newest.
    void AddPassword(const std::string& password);
    // Forgets every password and key (wiping them).
    void ClearPasswords();
    // Oldest first; the engine tries them newest first.
    const std::vector<std::string>& Passwords() const { return m_passwords; }
    // Changes with every ClearPasswords(), so a caller walking the list notices a new one.
    unsigned Clears() const { return m_clears; }

    // The key of password with this salt and cost: derived once, then kept until the passwords
    // are cleared, so a document's tables sharing one salt cost one derivation. nullptr when the
    // derivation failed (out of memory).
    const SecretKey* KeyFor(const std::string& password, const Salt& salt, const KdfParams& kdf);
    // The first key derived from password at this cost, with its salt; nullptr when none is.
    // A table of the first layout is written with it, so a document's tables come to share one
    // salt and key.
    const SecretKey* FirstKeyOf(const std::string& password, const KdfParams& kdf,
                                Salt& salt) const;

    // Asked when a protected table does not open with the passwords held; returns the
    // continue flag: true makes the engine try the passwords added since and ask again.
    std::function<bool()> onPasswordRequest;

    // Key-derivation cost for tables protected through this session.
    KdfParams newTableKdf = DefaultKdf();

private:
    struct DerivedKey {
        std::string password;
        Salt salt{};
        KdfParams kdf;
        SecretKey key;
    };
    std::vector<std::string> m_passwords;
    std::vector<std::unique_ptr<DerivedKey>> m_keys;
    unsigned m_clears = 0;
};

} // namespace engine
