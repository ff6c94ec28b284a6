#include "backup/TBackupOptions.h"

#include "platform/Profile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class BackupOptionsTest : public ::testing::Test {
protected:
    TempDir dir;
    TempDir data;
    std::string ini() const { return dir.file("Backup.Ini"); }
    std::string file(const std::string& name) {
        WriteFileBytes(data.file(name), name);
        return data.file(name);
    }
    void write(const std::string& section, const std::string& key, const std::string& value) {
        WritePrivateProfileString(section, key, value, ini());
    }
};

TEST_F(BackupOptionsTest, WithoutAFileTheDefaultsHoldAndOkCreatesIt) {
    TBackupOptions options;
    options.Load(dir.path());
    EXPECT_FALSE(options.OnlySelFiles);
    EXPECT_FALSE(options.OverwritePrompt);
    EXPECT_TRUE(options.OnlyNewerFiles);
    EXPECT_TRUE(options.CreateSubDir);
    EXPECT_FALSE(options.UsePkzip || options.UseZip2Exe || options.UsePasswd);
    EXPECT_EQ(options.BackupPath, TBackupOptions::DefaultBackupPath());
    EXPECT_EQ(options.ZipFileName, "ZOV.ZIP");
    EXPECT_TRUE(options.Files.empty());

    options.Save(dir.path());
    const std::string text = ReadFileBytes(ini());
    // Keys in their write order.
    size_t at = 0;
    for (const char* key :
         {"BACKUP_PATH=", "ONLYSELFILES=0", "OVERWRITEPROMPT=0", "ONLYNEWERFILES=1",
          "CREATESUBDIR=1", "USE_PKZIP=0", "USE_ZIP2EXE=0", "USE_PASSWD=0",
          "ZIP_PATH=", "ZIP2EXE_PATH=", "ZIP_FILENAME=ZOV.ZIP", "NUMFILES=0"}) {
        const size_t found = text.find(key, at);
        ASSERT_NE(found, std::string::npos) << key << " in\n" << text;
        at = found;
    }
    EXPECT_NE(text.find("[COMMON]"), std::string::npos);
}

TEST_F(BackupOptionsTest, ReadRulesForTextsFlagsAndTheFileList) {
    write("COMMON", "BACKUP_PATH", "");
    write("COMMON", "USE_PKZIP", "5");
    write("COMMON", "ZIP_FILENAME", "");
    const std::string a = file("a.qlr");
    const std::string b = file("b.qlr");
    write("COMMON", "NUMFILES", "4");
    write("FILES", "FILE1", a);
    write("FILES", "FILE2", a); // listed twice: loaded once
    write("FILES", "FILE3", b);
    // FILE4 missing: the loop ends there.
    write("FILES", "FILE5", file("c.qlr"));
    TBackupOptions options;
    options.Load(dir.path());
    EXPECT_EQ(options.BackupPath, TBackupOptions::DefaultBackupPath());
    EXPECT_EQ(options.ZipFileName, "ZOV.ZIP");
    EXPECT_TRUE(options.UsePkzip);
    EXPECT_EQ(options.Files, (std::vector<std::string>{a, b}));

    options.Save(dir.path());
    EXPECT_EQ(GetPrivateProfileString("COMMON", "USE_PKZIP", "", ini()), "1");
}

TEST_F(BackupOptionsTest, AMissingFileIsDroppedAndOldKeysStay) {
    const std::string gone = data.file("weg.qlr");
    const std::string kept = file("da.qlr");
    write("COMMON", "NUMFILES", "3");
    write("FILES", "FILE1", gone);
    write("FILES", "FILE2", kept);
    write("FILES", "FILE3", "");
    TBackupOptions options;
    options.Load(dir.path());
    EXPECT_EQ(options.Files, std::vector<std::string>{kept});
    options.Save(dir.path());
    EXPECT_EQ(GetPrivateProfileInt("COMMON", "NUMFILES", -1, ini()), 1);
    EXPECT_EQ(GetPrivateProfileString("FILES", "FILE1", "", ini()), kept);
    EXPECT_EQ(GetPrivateProfileString("FILES", "FILE2", "", ini()), kept) << "left in place";
}

// The programs to run come only from a file nobody else can change. Another's Backup.Ini (his
// file, or one that others may write) keeps its other settings, but its packer is not run:
// said once per session, naming the file. The user's own Quillory.Ini comes first, and Save
// keeps the programs there too; a shared value equal to the own one is not worth a word.
TEST_F(BackupOptionsTest, ProgramsComeOnlyFromFilesNobodyElseCanChange) {
    const bool bert = SecondUser().has_value();
    TempDir own; // an earlier Save left no packer there: Backup.Ini decides
    WritePrivateProfileString("BACKUP", "ZIP_PATH", "", own.file("Quillory.Ini"));
    for (const std::string make : {"chmod 600 Backup.Ini", "chmod 620 Backup.Ini", "chmod 1777 .",
                                   "chown quillory-test Backup.Ini"}) {
        SCOPED_TRACE(make);
        if (!bert && make.find("quillory-test") != std::string::npos)
            continue;
        TempDir folder;
        WritePrivateProfileStrings({{"COMMON", "ZIP_PATH", "/home/bert/packer.sh"},
                                    {"COMMON", "ZIP_FILENAME", "ARCHIV.ZIP"}},
                                   folder.file("Backup.Ini"));
        ASSERT_EQ(std::system(("cd '" + folder.path() + "' && " + make).c_str()), 0);
        const bool used = make == "chmod 600 Backup.Ini";
        ScriptedMessages messages;
        for (int session = 0; session < 2; ++session) {
            TBackupOptions options;
            options.Load(folder.path(), own.path());
            EXPECT_EQ(options.ZipFileName, "ARCHIV.ZIP");
            EXPECT_EQ(options.ZipPath, used ? "/home/bert/packer.sh" : "");
        }
        ASSERT_EQ(messages.texts().size(), used ? 0u : 1u);
        EXPECT_TRUE(used ||
                    messages.texts()[0].rfind(
                        "Die Programme zum Packen in " + folder.file("Backup.Ini"), 0) == 0);
    }
    TBackupOptions options;
    options.ZipPath = "/usr/lib/quillory/pkzip.exe";
    options.Save(dir.path(), own.path());
    ::chmod(ini().c_str(), 0666);
    ScriptedMessages messages;
    options.Load(dir.path(), own.path());
    EXPECT_TRUE(messages.texts().empty());
    write("COMMON", "ZIP_PATH", "/tmp/boese.sh");
    options.Load(dir.path(), own.path());
    EXPECT_EQ(options.ZipPath, "/usr/lib/quillory/pkzip.exe");
    EXPECT_EQ(messages.texts().size(), 1u);
}

TEST_F(BackupOptionsTest, AddFileRefusesExactDuplicatesOnly) {
    TBackupOptions options;
    EXPECT_TRUE(options.AddFile("/daten/a.qlr"));
    EXPECT_FALSE(options.AddFile("/daten/a.qlr"));
    EXPECT_TRUE(options.AddFile("/DATEN/A.QLR"));
    EXPECT_EQ(options.Files.size(), 2u);
    EXPECT_TRUE(options.RemoveFile("/daten/a.qlr"));
    EXPECT_FALSE(options.RemoveFile("/daten/a.qlr"));
}

} // namespace
