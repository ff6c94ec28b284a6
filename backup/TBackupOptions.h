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

    static constexpr const char* kOwnFileName = "Quillory.Ini";
    static constexpr const char* kOwnSection = "BACKUP";

    // dir + "Backup.Ini"; an empty dir does nothing. Load drops vanished and repeated files.
    // The programs to run (ZipPath, Zip2ExePath) are read only from a file nobody else can
    // change: ownConfigDir + "Quillory.Ini" (section "BACKUP") where it names one, else
    // Backup.Ini. Another's value is not used and said once per session; Save writes them to
    // both files.
    void Load(const std::string& dir, const std::string& ownConfigDir = {});
    void Save(const std::string& dir, const std::string& ownConfigDir = {}) const;
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

private:
    void LoadPrograms(const std::string& dir, const std::string& ownConfigDir);
};
