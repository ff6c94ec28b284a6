#include "backup/TBackupOptions.h"

#include "platform/Profile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

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

// The programs to run come only from a file nobody else can change. Bert's Backup.Ini in a
// shared program folder (his file, or one that he may write) keeps its other settings, but its
// packer is not run: said once per session, naming the file. The user's own Quillory.Ini comes
// first, and Save keeps the programs there as well.
TEST_F(BackupOptionsTest, ProgramsComeOnlyFromFilesNobodyElseCanChange) {
    const std::optional<uid_t> bert = SecondUser();
    struct Case {
        const char* name;
        std::function<void(const std::string& folder)> plant;
        bool used;
    };
    const std::vector<Case> cases = {
        {"private", [](const std::string&) {}, true},
        {"file writable by others",
         [](const std::string& folder) { ::chmod((folder + "Backup.Ini").c_str(), 0666); }, false},
        {"file writable by the group",
         [](const std::string& folder) { ::chmod((folder + "Backup.Ini").c_str(), 0620); }, false},
        {"folder writable by others",
         [](const std::string& folder) { ::chmod(folder.c_str(), 01777); }, false},
        {"a link",
         [](const std::string& folder) {
             EXPECT_EQ(::rename((folder + "Backup.Ini").c_str(), (folder + "echt.ini").c_str()), 0);
             EXPECT_EQ(::symlink("echt.ini", (folder + "Backup.Ini").c_str()), 0);
         },
         false},
        {"the second user's file",
         [bert](const std::string& folder) {
             if (bert) {
                 EXPECT_EQ(::chown((folder + "Backup.Ini").c_str(), *bert, 0), 0);
             }
         },
         !bert},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir folder;
        const std::string shared = folder.file("Backup.Ini");
        WritePrivateProfileStrings({{"COMMON", "ZIP_PATH", "/home/bert/packer.sh"},
                                    {"COMMON", "ZIP2EXE_PATH", "/home/bert/sfx.sh"},
                                    {"COMMON", "ZIP_FILENAME", "ARCHIV.ZIP"}},
                                   shared);
        ::chmod(shared.c_str(), 0600);
        c.plant(folder.path());
        ScriptedMessages messages;
        for (int session = 0; session < 2; ++session) {
            TBackupOptions options;
            options.Load(folder.path());
            EXPECT_EQ(options.ZipFileName, "ARCHIV.ZIP");
            EXPECT_EQ(options.ZipPath, c.used ? "/home/bert/packer.sh" : "");
            EXPECT_EQ(options.Zip2ExePath, c.used ? "/home/bert/sfx.sh" : "");
        }
        ASSERT_EQ(messages.texts().size(), c.used ? 0u : 1u);
        if (!c.used) {
            EXPECT_EQ(messages.texts()[0].rfind(
                          "Die Programme zum Packen in " + shared + " werden nicht verwendet", 0),
                      0u);
        }
    }
}

TEST_F(BackupOptionsTest, TheUsersOwnProgramsComeFirstAndAreSavedThere) {
    TempDir own;
    const std::string ownIni = own.file("Quillory.Ini");
    TBackupOptions options;
    options.ZipPath = "/usr/lib/quillory/pkzip.exe";
    options.Save(dir.path(), own.path());
    EXPECT_EQ(GetPrivateProfileString("BACKUP", "ZIP_PATH", "", ownIni), options.ZipPath);
    EXPECT_EQ(GetPrivateProfileString("COMMON", "ZIP_PATH", "", ini()), options.ZipPath);

    // The shared file changed by someone else: the own value is used, and only a value that
    // differs from it is worth a word.
    ::chmod(ini().c_str(), 0666);
    ScriptedMessages messages;
    TBackupOptions loaded;
    loaded.Load(dir.path(), own.path());
    EXPECT_EQ(loaded.ZipPath, "/usr/lib/quillory/pkzip.exe");
    EXPECT_TRUE(messages.texts().empty());
    write("COMMON", "ZIP_PATH", "/tmp/boese.sh");
    loaded.Load(dir.path(), own.path());
    EXPECT_EQ(loaded.ZipPath, "/usr/lib/quillory/pkzip.exe");
    EXPECT_EQ(messages.texts().size(), 1u);

    // The own file itself writable by others is no better.
    ::chmod(ini().c_str(), 0600);
    ::chmod(ownIni.c_str(), 0666);
    TBackupOptions fallback;
    fallback.Load(dir.path(), own.path());
    EXPECT_EQ(fallback.ZipPath, "/tmp/boese.sh");
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
