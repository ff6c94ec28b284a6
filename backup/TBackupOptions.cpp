#include "backup/TBackupOptions.h"

#include "platform/Messages.h"
#include "platform/Profile.h"
#include "util/FileUtil.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <set>
#include <unordered_set>

namespace {

constexpr const char* kCommon = "COMMON";
constexpr const char* kFilesSection = "FILES";
// Text values pass through buffers of 260 characters including the terminating zero.
constexpr size_t kMaxText = 259;

std::string Cut(std::string value) {
    if (value.size() > kMaxText) {
        value.resize(kMaxText);
    }
    return value;
}

void ReadTextInto(const TProfileSnapshot& ini, const char* key, std::string& field) {
    const std::string value = Cut(ini.String(kCommon, key, field));
    if (!value.empty()) {
        field = value;
    }
}

bool ReadFlag(const TProfileSnapshot& ini, const char* key, bool def) {
    return ini.Int(kCommon, key, def ? 1 : 0) != 0;
}

constexpr const char* kProgramKeys[] = {"ZIP_PATH", "ZIP2EXE_PATH"};

// Says once per session per file that its programs are not used.
void WarnOfForeignPrograms(const std::string& file) {
    static std::set<std::string> warned;
    if (!warned.insert(file).second) {
        return;
    }
    ShowMessage("Die Programme zum Packen in " + file +
                    " werden nicht verwendet: andere Benutzer können diese Datei oder ihren "
                    "Ordner ändern. Wählen Sie die Programme in der Sicherung neu; sie werden "
                    "dann in Ihren eigenen Einstellungen gespeichert.",
                "", MB_OK | MB_ICONEXCLAMATION);
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

void TBackupOptions::LoadPrograms(const std::string& dir, const std::string& ownConfigDir) {
    std::string* fields[] = {&ZipPath, &Zip2ExePath};
    bool fromOwn[std::size(kProgramKeys)] = {};
    const std::string own = ownConfigDir + kOwnFileName;
    if (!ownConfigDir.empty() && OnlyUserCanChange(own)) {
        const TProfileSnapshot ini(own);
        for (size_t i = 0; i < std::size(kProgramKeys); ++i) {
            const std::string value = ini.String(kOwnSection, kProgramKeys[i], "");
            fromOwn[i] = !value.empty();
            if (fromOwn[i]) {
                *fields[i] = Cut(value);
            }
        }
    }
    const std::string shared = dir + kFileName;
    const bool usable = OnlyUserCanChange(shared);
    const TProfileSnapshot ini(shared);
    for (size_t i = 0; i < std::size(kProgramKeys); ++i) {
        const std::string value = Cut(ini.String(kCommon, kProgramKeys[i], ""));
        if (usable && !fromOwn[i] && !value.empty()) {
            *fields[i] = value;
        } else if (!usable && !value.empty() && value != *fields[i]) {
            WarnOfForeignPrograms(shared);
        }
    }
}

void TBackupOptions::Load(const std::string& dir, const std::string& ownConfigDir) {
    if (dir.empty()) {
        return;
    }
    LoadPrograms(dir, ownConfigDir);
    const TProfileSnapshot ini(dir + kFileName); // one read of the file
    Files.clear();
    ReadTextInto(ini, "BACKUP_PATH", BackupPath);
    OnlySelFiles = ReadFlag(ini, "ONLYSELFILES", false);
    OverwritePrompt = ReadFlag(ini, "OVERWRITEPROMPT", false);
    OnlyNewerFiles = ReadFlag(ini, "ONLYNEWERFILES", true);
    CreateSubDir = ReadFlag(ini, "CREATESUBDIR", true);
    UsePkzip = ReadFlag(ini, "USE_PKZIP", UsePkzip);
    UseZip2Exe = ReadFlag(ini, "USE_ZIP2EXE", UseZip2Exe);
    UsePasswd = ReadFlag(ini, "USE_PASSWD", UsePasswd);
    ReadTextInto(ini, "ZIP_FILENAME", ZipFileName);
    const int count = ini.Int(kCommon, "NUMFILES", 0);
    std::unordered_set<std::string> listed;
    for (int i = 1; i <= count; ++i) {
        std::string path = Cut(ini.String(kFilesSection, "FILE" + std::to_string(i), ""));
        if (path.empty()) {
            break;
        }
        if (FileExists(path) && listed.insert(path).second) {
            Files.push_back(std::move(path));
        }
    }
}

void TBackupOptions::Save(const std::string& dir, const std::string& ownConfigDir) const {
    if (dir.empty()) {
        return;
    }
    if (!ownConfigDir.empty()) {
        WritePrivateProfileStrings(
            {{kOwnSection, kProgramKeys[0], ZipPath}, {kOwnSection, kProgramKeys[1], Zip2ExePath}},
            ownConfigDir + kOwnFileName);
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
