#include "platform/SystemDirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

namespace {

struct Overrides {
    std::string program, windows, temp;
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

void SetProgramDirectory(const std::string& dir) { State().program = WithTrailingSlash(dir); }
void SetWindowsDirectory(const std::string& dir) { State().windows = WithTrailingSlash(dir); }
void SetTempDirectory(const std::string& dir) { State().temp = WithTrailingSlash(dir); }

} // namespace SystemDirs
