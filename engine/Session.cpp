#include "engine/Session.h"

#include <sodium.h>

#include <algorithm>

namespace engine {

Session::Session() {
    RandomBytes(m_digestKey.data(), 32);
}

void Session::AddPassword(std::string_view password) {
    auto known = std::find_if(m_passwords.begin(), m_passwords.end(),
                              [password](const SecretText& p) { return p.view() == password; });
    if (known != m_passwords.end())
        std::rotate(known, known + 1, m_passwords.end());
    else
        m_passwords.emplace_back(password);
}

void Session::AddRecovery(const SecretKey& recovery) {
    auto kek = std::make_unique<SecretKey>();
    RecoveryKek(recovery, *kek);
    m_recoveries.push_back(std::move(kek));
}

void Session::ClearPasswords() {
    m_passwords.clear(); // each wiped as it goes
    m_recoveries.clear();
    m_keys.clear();
    ++m_clears;
}

bool Session::IsNewestPassword(std::string_view typed) const {
    return !m_passwords.empty() && !typed.empty() && SameSecret(m_passwords.back().view(), typed);
}

Digest Session::DigestOf(std::string_view password) const {
    Digest d{};
    crypto_generichash(d.data(), d.size(), reinterpret_cast<const unsigned char*>(password.data()),
                       password.size(), m_digestKey.data(), 32);
    return d;
}

const SecretKey* Session::KeyFor(std::string_view password, const Salt& salt,
                                 const KdfParams& kdf) {
    const Digest digest = DigestOf(password);
    for (const auto& k : m_keys) {
        if (k->salt == salt && k->kdf == kdf && k->password == digest)
            return &k->key;
    }
    auto derived = std::make_unique<DerivedKey>();
    if (!DeriveKey(password, salt, kdf, derived->key))
        return nullptr;
    derived->password = digest;
    derived->salt = salt;
    derived->kdf = kdf;
    m_keys.push_back(std::move(derived));
    return &m_keys.back()->key;
}

const SecretKey* Session::FirstKeyOf(std::string_view password, const KdfParams& kdf,
                                     Salt& salt) const {
    const Digest digest = DigestOf(password);
    for (const auto& k : m_keys) {
        if (k->kdf == kdf && k->password == digest) {
            salt = k->salt;
            return &k->key;
        }
    }
    return nullptr;
}

} // namespace engine
