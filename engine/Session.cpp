#include "engine/Session.h"

#include <algorithm>

namespace engine {

void Session::AddPassword(const std::string& password) {
    auto known = std::find(m_passwords.begin(), m_passwords.end(), password);
    if (known != m_passwords.end())
        std::rotate(known, known + 1, m_passwords.end());
    else
        m_passwords.push_back(password);
}

void Session::ClearPasswords() {
    for (std::string& p : m_passwords)
        Wipe(p);
    m_passwords.clear();
    for (auto& k : m_keys)
        Wipe(k->password);
    m_keys.clear();
    ++m_clears;
}

const SecretKey* Session::KeyFor(const std::string& password, const Salt& salt,
                                 const KdfParams& kdf) {
    for (const auto& k : m_keys) {
        if (k->salt == salt && k->kdf == kdf && k->password == password)
            return &k->key;
    }
    auto derived = std::make_unique<DerivedKey>();
    if (!DeriveKey(password, salt, kdf, derived->key))
        return nullptr;
    derived->password = password;
    derived->salt = salt;
    derived->kdf = kdf;
    m_keys.push_back(std::move(derived));
    return &m_keys.back()->key;
}

const SecretKey* Session::FirstKeyOf(const std::string& password, const KdfParams& kdf,
                                     Salt& salt) const {
    for (const auto& k : m_keys) {
        if (k->kdf == kdf && k->password == password) {
            salt = k->salt;
            return &k->key;
        }
    }
    return nullptr;
}

} // namespace engine
