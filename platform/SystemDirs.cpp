#include "platform/SystemDirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace {

struct Overrides {
    std::string program, windows, temp, state;
    std::string started; // directory of the start path, when known
};

Overrides& State() {
    static Overrides overrides;
    return overrides;
}

std::string ExecutableDirectory() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        return exe.parent_path().string();
    }
    if (QCoreApplication::instance()) {
        return QCoreApplication::applicationDirPath().toStdString();
    }
    return std::filesystem::current_path(ec).string();
}

} // namespace

namespace SystemDirs {

std::string WithTrailingSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') {
        dir.push_back('/');
    }
    return dir;
}

std::string ProgramDirectory() {
    if (!State().program.empty()) {
        return State().program;
    }
    if (!State().started.empty()) {
        return State().started;
    }
    return WithTrailingSlash(ExecutableDirectory());
}

std::string WindowsDirectory() {
    std::string dir = State().windows;
    if (dir.empty()) {
        dir = WithTrailingSlash(
                  QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                      .toStdString()) +
              "Quillory/";
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return WithTrailingSlash(dir);
}

std::string TempDirectory() {
    if (!State().temp.empty()) {
        return State().temp;
    }
    return WithTrailingSlash(QDir::tempPath().toStdString());
}

std::string DirectoryOfStartPath(const std::string& argv0, const std::string& cwd,
                                 const std::string& searchPath) {
    namespace fs = std::filesystem;
    if (argv0.empty()) {
        return {};
    }
    if (argv0.find('/') != std::string::npos) {
        fs::path path(argv0);
        if (path.is_relative()) {
            path = fs::path(cwd) / path;
        }
        return WithTrailingSlash(path.lexically_normal().parent_path().string());
    }
    std::string::size_type begin = 0;
    while (begin <= searchPath.size()) {
        auto end = searchPath.find(':', begin);
        if (end == std::string::npos) {
            end = searchPath.size();
        }
        // An empty entry means the current directory, as in a shell.
        fs::path dir =
            end > begin ? fs::path(searchPath.substr(begin, end - begin)) : fs::path(".");
        if (dir.is_relative()) {
            dir = fs::path(cwd) / dir;
        }
        const fs::path candidate = dir / argv0;
        std::error_code ec;
        if (::access(candidate.c_str(), X_OK) == 0 && !fs::is_directory(candidate, ec)) {
            return WithTrailingSlash(candidate.lexically_normal().parent_path().string());
        }
        begin = end + 1;
    }
    return {};
}

void SetStartPath(const char* argv0) {
    std::error_code ec;
    const std::string cwd = std::filesystem::current_path(ec).string();
    const char* path = std::getenv("PATH");
    State().started = DirectoryOfStartPath(argv0 ? argv0 : "", cwd, path ? path : "");
}

void SetProgramDirectory(const std::string& dir) {
    State().program = WithTrailingSlash(dir);
}
void SetWindowsDirectory(const std::string& dir) {
    State().windows = WithTrailingSlash(dir);
}
void SetTempDirectory(const std::string& dir) {
    State().temp = WithTrailingSlash(dir);
}
void SetStateDirectory(const std::string& dir) {
    State().state = WithTrailingSlash(dir);
}

std::string StateDirectory() {
    if (!State().state.empty()) {
        return State().state;
    }
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') {
        return WithTrailingSlash(state) + "Quillory/";
    }
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') {
        return WithTrailingSlash(home) + ".local/state/Quillory/";
    }
    return "";
}

} // namespace SystemDirs
