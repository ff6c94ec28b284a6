#include "backup/ArchivePacking.h"
#include "backup/CopyEngine.h"
#include "backup/TBackupOptions.h"

#include "platform/gui/TaskWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Records the starts; the packer's window is there for a number of pumps after its start.
class FakeLauncher : public IProgramLauncher {
public:
    std::vector<PifFields> started;
    int windowPumps = 0;
    std::uint32_t tick = 0;
    std::vector<std::uint32_t> startTicks;
    // Runs the program of the PIF for real, as the task window would.
    bool runPrograms = false;

    void StartPif(const std::string& pif) override {
        auto fields = ReadPifFields(pif);
        ASSERT_TRUE(fields);
        started.push_back(*fields);
        startTicks.push_back(tick);
        if (runPrograms) {
            std::string command =
                "cd '" + fields->startDirectory + "' && '" + fields->program + "'";
            for (const std::string& word : SplitCommandTail(fields->parameters))
                command += " '" + word + "'";
            EXPECT_EQ(std::system((command + " >/dev/null 2>&1 </dev/null").c_str()), 0) << command;
        }
    }
    bool WindowExists(const std::string& title) override {
        EXPECT_EQ(title, "Backup-Task");
        return windowPumps > 0;
    }
    void PumpMessages() override {
        tick += 100;
        if (windowPumps > 0)
            --windowPumps;
    }
    std::uint32_t TickCount() override { return tick; }
};

TEST(PackerParameters, TheExactStrings) {
    EXPECT_EQ(PackerParameters("/media/ZOV.ZIP", true, true, "/tmp/backup.lst", true),
              "/media/ZOV.ZIP -u -rP @/tmp/backup.lst -s ");
    EXPECT_EQ(PackerParameters("/media/ZOV.ZIP", false, false, "/tmp/backup.lst", false),
              "/media/ZOV.ZIP @/tmp/backup.lst");
    EXPECT_EQ(PackerParameters("/m/mein archiv.zip", true, false, "/t/l", false),
              "/m/mein archiv.zip -u @/t/l");
    EXPECT_EQ(ConverterParameters("/media/ZOV.ZIP"), "/media/ZOV.ZIP /media/");
    EXPECT_EQ(ConverterParameters("ZOV.ZIP"), "ZOV.ZIP ");
}

TEST(LaunchViaPif, WritesTheFourFieldsAndNothingElse) {
    TempDir dir;
    std::string templ(kPifTemplateSize, '\x5a');
    WriteFileBytes(dir.file("backup.pif"), templ);
    FakeLauncher launcher;
    EXPECT_EQ(LaunchViaPif(dir.file("backup.pif"), "/opt/q/pkzip.exe", "a b @c", launcher),
              PifLaunch::Started);
    const std::string pif = ReadFileBytes(dir.file("backup.pif"));
    ASSERT_EQ(pif.size(), kPifTemplateSize);
    std::string expected = templ;
    const auto put = [&](size_t at, const std::string& v) {
        expected.replace(at, v.size() + 1, v + '\0');
    };
    put(kPifTitle.offset, "Backup-Task");
    put(kPifProgram.offset, "/opt/q/pkzip.exe");
    put(kPifStartDirectory.offset, "/opt/q/");
    put(kPif386Parameters.offset, "a b @c");
    EXPECT_EQ(pif, expected);
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].parameters, "a b @c");
}

TEST(LaunchViaPif, TooLongValuesAndMissingFilesStartNothing) {
    TempDir dir;
    const std::string templ(kPifTemplateSize, '\0');
    WriteFileBytes(dir.file("backup.pif"), templ);
    FakeLauncher launcher;
    ScriptedMessages messages;
    EXPECT_EQ(LaunchViaPif(dir.file("backup.pif"), "/p", std::string(64, 'x'), launcher),
              PifLaunch::TooLong);
    EXPECT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(ReadFileBytes(dir.file("backup.pif")), templ);
    EXPECT_EQ(LaunchViaPif(dir.file("fehlt.pif"), "/p", "x", launcher), PifLaunch::CannotOpen);
    EXPECT_EQ(messages.shown().size(), 1u) << "a PIF that cannot be opened is silently skipped";
    EXPECT_TRUE(launcher.started.empty());
}

TEST(CheckFileFound, MissingOrEmptyPathsAreReported) {
    TempDir dir;
    WriteFileBytes(dir.file("pkzip.exe"), "");
    ScriptedMessages messages;
    EXPECT_FALSE(CheckFileFound(dir.file("pkzip.exe")));
    EXPECT_TRUE(CheckFileFound(dir.file("fehlt.exe")));
    EXPECT_TRUE(CheckFileFound(""));
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{"Kann Datei nicht finden " + dir.file("fehlt.exe") + "!",
                                        "Kann Datei nicht finden !"}));
}

// A packing run: program folder with the template and the adapters, a target, sources.
class PackingRun : public ::testing::Test {
protected:
    TempDir program, temp, target, data;
    TBackupOptions options;
    FakeLauncher launcher;
    std::vector<std::string> statuses;

    void SetUp() override {
        fs::copy_file(std::string(QUILLORY_SOURCE_DIR) + "/resources/backup.pif",
                      program.file("backup.pif"));
        for (const char* tool : {"pkzip.exe", "zip2exe.exe"})
            fs::copy_file(std::string(QUILLORY_SOURCE_DIR) + "/tools/packers/" + tool,
                          program.file(tool));
        options.UsePkzip = true;
        options.ZipPath = program.file("pkzip.exe");
        options.Zip2ExePath = program.file("zip2exe.exe");
        options.BackupPath = target.path();
    }
    BackupResult Run(const std::vector<std::string>& entries) {
        BackupServices services;
        services.status = [this](const std::string& s) { statuses.push_back(s); };
        services.message = [](const std::string&, const std::string&, unsigned) { return 1; };
        services.checkAbort = [](bool*) {};
        services.freeSpace = [](const std::string&) { return std::optional<std::uint64_t>(); };
        return RunBackup(options, entries, services, program.path(), temp.path(), launcher);
    }
};

TEST_F(PackingRun, ListFileThenPackerThenConverterAfterTheWindowHasGone) {
    WriteFileBytes(data.file("a.qlr"), "a");
    WriteFileBytes(data.file("b.qlr"), "b");
    options.UseZip2Exe = true;
    options.UsePasswd = true;
    launcher.windowPumps = 30; // 2000 ms wait, then ten more pumps with the window up
    ScriptedMessages messages;
    EXPECT_EQ(Run({data.file("a.qlr"), data.file("b.qlr")}), BackupResult::Completed);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(ReadFileBytes(temp.file("backup.lst")),
              data.file("a.qlr") + "\n" + data.file("b.qlr") + "\n");
    ASSERT_EQ(launcher.started.size(), 2u);
    const std::string archive = StripTrailingSlashes(target.path()) + "/ZOV.ZIP";
    EXPECT_EQ(launcher.started[0].title, "Backup-Task");
    EXPECT_EQ(launcher.started[0].program, program.file("pkzip.exe"));
    EXPECT_EQ(launcher.started[0].startDirectory, program.path());
    EXPECT_EQ(launcher.started[0].parameters,
              archive + " -u -rP @" + temp.file("backup.lst") + " -s ");
    EXPECT_EQ(launcher.started[1].parameters, archive + " " + target.path());
    EXPECT_EQ(launcher.startTicks[1] - launcher.startTicks[0], 3000u);
    EXPECT_EQ(statuses.size(), 2u);
}

TEST_F(PackingRun, AMissingPackerOrTemplateEndsTheRunBeforeAnyEntry) {
    WriteFileBytes(data.file("a.qlr"), "a");
    ScriptedMessages messages;
    fs::remove(program.file("backup.pif"));
    EXPECT_EQ(Run({data.file("a.qlr")}), BackupResult::NotStarted);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Kann Datei nicht finden " +
                                                         program.file("backup.pif") + "!"});
    options.ZipPath = "";
    EXPECT_EQ(Run({data.file("a.qlr")}), BackupResult::NotStarted);
    EXPECT_TRUE(statuses.empty());
    EXPECT_TRUE(launcher.started.empty());
}

TEST_F(PackingRun, TheAdaptersMakeARealArchiveAndASelfExtractor) {
    if (std::system("command -v zip >/dev/null && command -v unzipsfx >/dev/null") != 0)
        GTEST_SKIP() << "Info-ZIP not installed";
    fs::create_directories(data.file("akten"));
    WriteFileBytes(data.file("akten/a.qlr"), "erste Datei");
    WriteFileBytes(data.file("b.qlr"), "zweite Datei");
    options.UseZip2Exe = true;
    launcher.runPrograms = true;
    EXPECT_EQ(Run({data.file("akten/a.qlr"), data.file("b.qlr")}), BackupResult::Completed);
    const std::string archive = target.file("ZOV.ZIP");
    ASSERT_TRUE(fs::exists(archive));
    const std::string listing = target.file("listing.txt");
    ASSERT_EQ(std::system(("unzip -Z1 '" + archive + "' > '" + listing + "'").c_str()), 0);
    const std::string names = ReadFileBytes(listing);
    EXPECT_NE(names.find(fs::path(data.file("akten/a.qlr")).relative_path().string()),
              std::string::npos)
        << names;
    ASSERT_TRUE(fs::exists(target.file("ZOV.exe")));
    EXPECT_EQ(std::system(("unzip -tq '" + target.file("ZOV.exe") + "' >/dev/null").c_str()), 0);
}

} // namespace
