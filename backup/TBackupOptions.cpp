#include "backup/TBackupOptions.h"

#include "platform/Profile.h"
#include "util/FileUtil.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr const char* kCommon = "COMMON";
constexpr const char* kFilesSection = "FILES";
// Text values pass through buffers of 260 characters including the terminating zero.
constexpr size_t kMaxText = 259;

std::string ReadText(const char* key, const std::string& def, const std::string& file) {
    std::string value = GetPrivateProfileString(kCommon, key, def, file);
    if (value.size() > kMaxText) {
        value.resize(kMaxText);
    }
    return value;
}

void ReadTextInto(const char* key, std::string& field, const std::string& file) {
    const std::string value = ReadText(key, field, file);
    if (!value.empty()) {
        field = value;
    }
}

bool ReadFlag(const char* key, bool def, const std::string& file) {
    return GetPrivateProfileInt(kCommon, key, def ? 1 : 0, file) != 0;
}

} // namespace

TBackupOptions::TBackupOptions() : BackupPath(DefaultBackupPath()) {}

std::string TBackupOptions::DefaultBackupPath() {
    const char* home = std::getenv("HOME");
    std::string path = home && *home ? home : "/tmp";
    if (path.back() != '/') {
        path += '/';
    }
    return path + "Quillory-Sicherung/";
}

void TBackupOptions::Load(const std::string& dir) {
    if (dir.empty()) {
        return;
    }
    const std::string file = dir + kFileName;
    Files.clear();
    ReadTextInto("BACKUP_PATH", BackupPath, file);
    OnlySelFiles = ReadFlag("ONLYSELFILES", false, file);
    OverwritePrompt = ReadFlag("OVERWRITEPROMPT", false, file);
    OnlyNewerFiles = ReadFlag("ONLYNEWERFILES", true, file);
    CreateSubDir = ReadFlag("CREATESUBDIR", true, file);
    UsePkzip = ReadFlag("USE_PKZIP", UsePkzip, file);
    UseZip2Exe = ReadFlag("USE_ZIP2EXE", UseZip2Exe, file);
    UsePasswd = ReadFlag("USE_PASSWD", UsePasswd, file);
    ReadTextInto("ZIP_PATH", ZipPath, file);
    ReadTextInto("ZIP2EXE_PATH", Zip2ExePath, file);
    ReadTextInto("ZIP_FILENAME", ZipFileName, file);
    const int count = GetPrivateProfileInt(kCommon, "NUMFILES", 0, file);
    for (int i = 1; i <= count; ++i) {
        std::string path =
            GetPrivateProfileString(kFilesSection, "FILE" + std::to_string(i), "", file);
        if (path.empty()) {
            break;
        }
        if (path.size() > kMaxText) {
            path.resize(kMaxText);
        }
        if (FileExists(path)) {
            AddFile(path);
        }
    }
}

void TBackupOptions::Save(const std::string& dir) const {
    if (dir.empty()) {
        return;
    }
    const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
    std::vector<ProfileEntry> entries = {
        {kCommon, "BACKUP_PATH", BackupPath},
        {kCommon, "ONLYSELFILES", flag(OnlySelFiles)},
        {kCommon, "OVERWRITEPROMPT", flag(OverwritePrompt)},
        {kCommon, "ONLYNEWERFILES", flag(OnlyNewerFiles)},
        {kCommon, "CREATESUBDIR", flag(CreateSubDir)},
        {kCommon, "USE_PKZIP", flag(UsePkzip)},
        {kCommon, "USE_ZIP2EXE", flag(UseZip2Exe)},
        {kCommon, "USE_PASSWD", flag(UsePasswd)},
        {kCommon, "ZIP_PATH", ZipPath},
        {kCommon, "ZIP2EXE_PATH", Zip2ExePath},
        {kCommon, "ZIP_FILENAME", ZipFileName},
        {kCommon, "NUMFILES", std::to_string(Files.size())},
    };
    for (size_t i = 0; i < Files.size(); ++i) {
        entries.push_back({kFilesSection, "FILE" + std::to_string(i + 1), Files[i]});
    }
    // One replacement of the file: the settings are written whole or not at all.
    WritePrivateProfileStrings(entries, dir + kFileName);
}

bool TBackupOptions::AddFile(const std::string& path) {
    if (std::find(Files.begin(), Files.end(), path) != Files.end()) {
        return false;
    }
    Files.push_back(path);
    return true;
}

bool TBackupOptions::RemoveFile(const std::string& path) {
    const auto it = std::find(Files.begin(), Files.end(), path);
    if (it == Files.end()) {
        return false;
    }
    Files.erase(it);
    return true;
}
