#include "tests/support/TestSupport.h"

#include "platform/SystemDirs.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qt-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    m_path = pattern + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

ScriptedMessages::ScriptedMessages(std::deque<int> answers) : m_answers(std::move(answers)) {
    m_previous = SetMessageHandler([this](const MessageRequest& request) {
        m_shown.push_back(request);
        if (!m_answers.empty()) {
            const int result = m_answers.front();
            m_answers.pop_front();
            return result;
        }
        switch (request.flags & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return static_cast<int>(IDYES);
        default:
            return static_cast<int>(IDOK);
        }
    });
}

ScopedSystemDirs::ScopedSystemDirs(const std::string& program, const std::string& temp)
    : m_program(SystemDirs::ProgramDirectory()), m_temp(SystemDirs::TempDirectory()),
      m_state(SystemDirs::StateDirectory()) {
    SystemDirs::SetProgramDirectory(program);
    SystemDirs::SetTempDirectory(temp);
    SystemDirs::SetStateDirectory(m_stateDir.path() + "Quillory/");
}

ScopedSystemDirs::~ScopedSystemDirs() {
    SystemDirs::SetProgramDirectory(m_program);
    SystemDirs::SetTempDirectory(m_temp);
    SystemDirs::SetStateDirectory(m_state);
}

ScriptedMessages::~ScriptedMessages() {
    SetMessageHandler(std::move(m_previous));
}

std::vector<std::string> ScriptedMessages::texts() const {
    std::vector<std::string> result;
    for (const auto& request : m_shown) {
        result.push_back(request.text);
    }
    return result;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

std::string TestDataDir() {
    const char* dir = std::getenv("QUILLORY_TEST_DATA");
    return std::string(dir ? dir : QUILLORY_TEST_DATA_DIR) + "/";
}

std::optional<uid_t> SecondUser() {
    // Only root can plant files as another user.
    if (::geteuid() != 0 || (::getpwnam("quillory-test") == nullptr &&
                             std::system("useradd --system --no-create-home --shell "
                                         "/usr/sbin/nologin quillory-test >/dev/null 2>&1") != 0)) {
        return std::nullopt;
    }
    const passwd* user = ::getpwnam("quillory-test");
    return user ? std::optional<uid_t>(user->pw_uid) : std::nullopt;
}
