#pragma once

#include "engine/Crypto.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// The passwords given so far (memory only), the keys derived from them, and the password
// request of protected tables. The one place that holds password text in the program: in
// memory locked against swapping, wiped when cleared. The derived keys are found by a keyed
// digest of their password, never by the password.
class Session {
public:
    Session();
    ~Session() { ClearPasswords(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Adds a password as the newest; one given again becomes the newest.
    void AddPassword(std::string_view password);
    // Adds a recovery secret (kRecoverySize bytes of recovery): protected tables with a
    // recovery slot open with it as with a password. Kept as its key-encryption key only.
    void AddRecovery(const SecretKey& recovery);
    const std::vector<std::unique_ptr<SecretKey>>& RecoveryKeks() const { return m_recoveries; }
    // Forgets every password, recovery and key (wiping them).
    void ClearPasswords();
    // Oldest first; the engine tries them newest first.
    const std::vector<SecretText>& Passwords() const { return m_passwords; }
    // Whether typed is the newest password (the one last given), compared in constant time.
    bool IsNewestPassword(std::string_view typed) const;
    bool HasPasswords() const { return !m_passwords.empty(); }
    // Changes with every ClearPasswords(), so a caller walking the list notices a new one.
    unsigned Clears() const { return m_clears; }

    // The key of password with this salt and cost: derived once, then kept until the passwords
    // are cleared, so a document's tables sharing one salt cost one derivation. nullptr when the
    // derivation failed (out of memory).
    const SecretKey* KeyFor(std::string_view password, const Salt& salt, const KdfParams& kdf);
    // The first key derived from password at this cost, with its salt; nullptr when none is.
    // A table of the first layout is written with it, so a document's tables come to share one
    // salt and key.
    const SecretKey* FirstKeyOf(std::string_view password, const KdfParams& kdf, Salt& salt) const;

    // Asked when a protected table does not open with the passwords held; returns the
    // continue flag: true makes the engine try the passwords added since and ask again.
    std::function<bool()> onPasswordRequest;

    // Key-derivation cost for tables protected through this session.
    KdfParams newTableKdf = DefaultKdf();

private:
    struct DerivedKey {
        Digest password{}; // DigestOf the password
        Salt salt{};
        KdfParams kdf;
        SecretKey key;
    };
    Digest DigestOf(std::string_view password) const;

    SecretKey m_digestKey; // random, this session's own
    std::vector<SecretText> m_passwords;
    std::vector<std::unique_ptr<DerivedKey>> m_keys;
    std::vector<std::unique_ptr<SecretKey>> m_recoveries;
    unsigned m_clears = 0;
};

} // namespace engine
