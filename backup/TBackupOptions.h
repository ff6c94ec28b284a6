#pragma once

#include <string>
#include <vector>

// Every setting of the backup and the list of files to back up, kept in "Backup.Ini" of a
// settings directory (sections "COMMON" and "FILES").
class TBackupOptions {
public:
    TBackupOptions();

    // The default target: "Quillory-Sicherung/" in the user's home directory.
    static std::string DefaultBackupPath();
    static constexpr const char* kFileName = "Backup.Ini";

    // dir + "Backup.Ini"; an empty dir does nothing. Load drops vanished and repeated files.
    void Load(const std::string& dir);
    void Save(const std::string& dir) const;
    // Appends the path unless an equal one (byte for byte) is listed; true when appended.
    bool AddFile(const std::string& path);
    // Removes the first entry equal to path; true when one was there.
    bool RemoveFile(const std::string& path);

    bool OnlySelFiles = false;
    bool OverwritePrompt = false;
    bool OnlyNewerFiles = true;
    bool CreateSubDir = true;
    std::string BackupPath;
    bool UsePkzip = false;
    bool UseZip2Exe = false;
    std::string ZipPath;
    std::string Zip2ExePath;
    bool UsePasswd = false;
    std::string ZipFileName = "ZOV.ZIP";
    std::vector<std::string> Files;
};
