#include "engine/Session.h"

#include <algorithm>

namespace engine {

void Session::AddPassword(const std::string& password) {
    if (std::find(m_passwords.begin(), m_passwords.end(), password) == m_passwords.end())
        m_passwords.push_back(password);
}

void Session::ClearPasswords() {
    for (std::string& p : m_passwords)
        Wipe(p);
    m_passwords.clear();
    ++m_clears;
}

} // namespace engine
