#include "backup/ArchivePacking.h"
#include "backup/CopyEngine.h"
#include "backup/TBackupOptions.h"

#include "platform/file/FileFault.h"
#include "platform/gui/TaskWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

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

    // False: the program cannot be started.
    bool canStart = true;
    // Written at the packer's start when no program is run; "" writes none.
    std::string archive;
    // The list file at each start: its path, its contents, its and its folder's modes.
    struct List {
        std::string path, bytes;
        unsigned mode = 0, folderMode = 0;
    };
    std::vector<List> lists;

    // One word for sh -c, whatever the temporary directory's name holds.
    static std::string ShellWord(const std::string& text) {
        std::string word = "'";
        for (char c : text)
            word += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return word + "'";
    }

    bool StartPif(const std::string& pif) override {
        auto fields = ReadPifFields(pif);
        if (!fields) {
            ADD_FAILURE() << "unreadable PIF";
            return false;
        }
        if (!canStart)
            return false;
        started.push_back(*fields);
        startTicks.push_back(tick);
        const size_t at = fields->parameters.find(" @");
        if (at != std::string::npos) {
            List list;
            list.path = fields->parameters.substr(at + 2);
            list.path = list.path.substr(0, list.path.find(" -s "));
            list.bytes = ReadFileBytes(list.path);
            struct stat st {};
            ::lstat(list.path.c_str(), &st);
            list.mode = st.st_mode & 07777;
            ::lstat(fs::path(list.path).parent_path().c_str(), &st);
            list.folderMode = st.st_mode & 07777;
            lists.push_back(list);
            if (!runPrograms && !archive.empty())
                WriteFileBytes(archive, "PK");
        }
        if (runPrograms) {
            std::string command =
                "cd " + ShellWord(fields->startDirectory) + " && " + ShellWord(fields->program);
            for (const std::string& word : SplitCommandTail(fields->parameters))
                command += " " + ShellWord(word);
            EXPECT_EQ(std::system((command + " >/dev/null 2>&1 </dev/null").c_str()), 0) << command;
        }
        return true;
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
    EXPECT_TRUE(LaunchViaPif(dir.file("backup.pif"), "/opt/q/pkzip.exe", "a b @c", launcher));
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
    EXPECT_FALSE(LaunchViaPif(dir.file("fehlt.pif"), "/p", "x", launcher));
    EXPECT_EQ(launcher.started.size(), 1u);
}

TEST(LaunchViaPif, LongValuesAreCutInTheirFieldsAndTravelWholeInTheLongSection) {
    TempDir dir;
    const std::string templ =
        ReadFileBytes(std::string(QUILLORY_SOURCE_DIR) + "/resources/backup.pif");
    WriteFileBytes(dir.file("backup.pif"), templ);
    FakeLauncher launcher;
    const std::string program = "/" + std::string(70, 'p') + "/pkzip.exe";
    // A blank and umlauts at the field's edge: the cut keeps whole characters.
    const std::string parameters = std::string(62, 'a') + "ü " + std::string(150, 'b');
    ASSERT_TRUE(LaunchViaPif(dir.file("backup.pif"), program, parameters, launcher));
    const std::string pif = ReadFileBytes(dir.file("backup.pif"));
    // Standard fields: cut, terminated, not run on; every byte after them as in the template.
    EXPECT_EQ(pif.substr(kPifProgram.offset, kPifProgram.width),
              program.substr(0, kPifProgram.width - 1) + '\0');
    EXPECT_EQ(pif.substr(kPif386Parameters.offset, 63), std::string(62, 'a') + '\0');
    EXPECT_EQ(pif.substr(kPif386Parameters.offset + kPif386Parameters.width, 16),
              templ.substr(kPif386Parameters.offset + kPif386Parameters.width, 16));
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0],
              (PifFields{"Backup-Task", program, "/" + std::string(70, 'p') + "/", parameters}));
    // The next start with short values: the long section is gone, the chain ends as before.
    ASSERT_TRUE(LaunchViaPif(dir.file("backup.pif"), "/q/zip2exe.exe", "x y", launcher));
    const std::string again = ReadFileBytes(dir.file("backup.pif"));
    const size_t afterFields = kPif386Parameters.offset + kPif386Parameters.width;
    EXPECT_EQ(again.substr(afterFields), templ.substr(afterFields));
    EXPECT_EQ(launcher.started.back(), (PifFields{"Backup-Task", "/q/zip2exe.exe", "/q/", "x y"}));
    // Without a section chain a value that does not fit cannot be carried: nothing starts.
    WriteFileBytes(dir.file("flat.pif"), std::string(kPifTemplateSize, '\0'));
    EXPECT_FALSE(LaunchViaPif(dir.file("flat.pif"), program, "x", launcher));
    EXPECT_EQ(launcher.started.size(), 2u);
    // A template planted in a shared folder: its long section naming another program, followed
    // by one more section so that a write leaves it. Nothing starts.
    std::string planted = ReadFileBytes(dir.file("backup.pif"));
    ASSERT_TRUE(PutPifFields(planted, {"Backup-Task", program, "/home/bert/", "x"}));
    const size_t next = planted.find(kPifLongSection) + 16;
    planted[next] = static_cast<char>(planted.size() & 0xFF);
    planted[next + 1] = static_cast<char>(planted.size() >> 8);
    planted += std::string("PLANTED") + std::string(9, '\0') + "\xFF\xFF" + std::string(4, '\0');
    WriteFileBytes(dir.file("planted.pif"), planted);
    EXPECT_FALSE(LaunchViaPif(dir.file("planted.pif"), "/q/pkzip.exe", "x", launcher));
    EXPECT_EQ(launcher.started.size(), 2u);
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

// A directory inside dir whose path (with its trailing '/') is at least length characters.
std::string LongDirectory(const TempDir& dir, size_t length) {
    std::string path = dir.path();
    for (int i = 0; path.size() < length; ++i)
        path += "Ordner Nummer " + std::to_string(i) + "/";
    fs::create_directories(path);
    // Folders others may write are no target, whatever the umask.
    for (fs::path p = path; p.string().size() > dir.path().size(); p = p.parent_path())
        fs::permissions(p, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    return path;
}

// A packing run: program folder with the template and the adapters, a target of 200 characters
// and a temporary directory of 60, sources.
class PackingRun : public ::testing::Test {
protected:
    TempDir program, tempRoot, targetRoot, data;
    const std::string temp = LongDirectory(tempRoot, 60);
    const std::string target = LongDirectory(targetRoot, 200);
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
        options.BackupPath = target;
        launcher.archive = StripTrailingSlashes(target) + "/ZOV.ZIP";
    }
    BackupResult Run(const std::vector<std::string>& entries) {
        BackupServices services;
        services.status = [this](const std::string& s) { statuses.push_back(s); };
        services.message = [](const std::string&, const std::string&, unsigned) { return 1; };
        services.checkAbort = [](bool*) {};
        services.freeSpace = [](const std::string&) { return std::optional<std::uint64_t>(); };
        return RunBackup(options, entries, services, program.path(), temp, launcher);
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
    EXPECT_EQ(messages.texts(), std::vector<std::string>{});
    ASSERT_EQ(launcher.lists.size(), 1u);
    EXPECT_EQ(launcher.lists[0].bytes, data.file("a.qlr") + "\n" + data.file("b.qlr") + "\n");
    const std::string list = launcher.lists[0].path;
    ASSERT_TRUE(list.size() > temp.size());
    EXPECT_EQ(list.substr(temp.size()).rfind("quillory-backup-", 0), 0u) << list;
    ASSERT_EQ(launcher.started.size(), 2u);
    const std::string archive = StripTrailingSlashes(target) + "/ZOV.ZIP";
    EXPECT_EQ(launcher.started[0].title, "Backup-Task");
    EXPECT_EQ(launcher.started[0].program, program.file("pkzip.exe"));
    EXPECT_EQ(launcher.started[0].startDirectory, program.path());
    EXPECT_EQ(launcher.started[0].parameters, archive + " -u -rP @" + list + " -s ");
    EXPECT_EQ(launcher.started[1].parameters, archive + " " + target);
    EXPECT_EQ(launcher.startTicks[1] - launcher.startTicks[0], 3000u);
    EXPECT_EQ(statuses.size(), 2u);
    // The packer left the archive readable by all; it is the user's alone after the run.
    struct stat st {};
    ASSERT_EQ(::stat(archive.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
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

    // A packer that cannot be started is no success: the status line says so.
    options.ZipPath = program.file("pkzip.exe");
    fs::copy_file(std::string(QUILLORY_SOURCE_DIR) + "/resources/backup.pif",
                  program.file("backup.pif"));
    launcher.canStart = false;
    EXPECT_EQ(Run({data.file("a.qlr")}), BackupResult::Failed);
    EXPECT_EQ(statuses.back(),
              "Das Programm " + program.file("pkzip.exe") + " konnte nicht gestartet werden!");

    // A packer that leaves no archive is no success either.
    launcher.canStart = true;
    launcher.archive.clear();
    EXPECT_EQ(Run({data.file("a.qlr")}), BackupResult::Failed);
    EXPECT_EQ(statuses.back(),
              "Das Archiv " + StripTrailingSlashes(target) + "/ZOV.ZIP wurde nicht erstellt!");

    // A FIFO as the template is missing, never opened.
    fs::remove(program.file("backup.pif"));
    ASSERT_EQ(::mkfifo(program.file("backup.pif").c_str(), 0600), 0);
    ::alarm(20); // a hang ends the test program
    EXPECT_EQ(Run({data.file("a.qlr")}), BackupResult::NotStarted);
    ::alarm(0);
    EXPECT_EQ(messages.texts().back(),
              "Kann Datei nicht finden " + program.file("backup.pif") + "!");
}

// Names planted in the shared temporary directory beforehand, as files and as links, are never
// written, followed or read; the run's own files live in a private folder that goes with it.
// Each step of making them fails in turn: a message, nothing started, nothing left.
TEST_F(PackingRun, PlantedNamesAreNotUsedAndEveryFailedPreparationStops) {
    WriteFileBytes(data.file("a.qlr"), "a");
    WriteFileBytes(data.file("opfer"), "opfer");
    ScriptedMessages messages;
    for (const bool links : {false, true}) {
        for (const char* name : {"backup.lst", "backup.pif"}) {
            fs::remove(temp + name);
            if (links)
                fs::create_symlink(data.file("opfer"), temp + name);
            else
                WriteFileBytes(temp + name, "/etc/shadow\n");
        }
        launcher.lists.clear();
        EXPECT_EQ(Run({data.file("a.qlr")}), BackupResult::Completed);
        ASSERT_EQ(launcher.lists.size(), 1u);
        EXPECT_EQ(launcher.lists[0].bytes, data.file("a.qlr") + "\n");
        EXPECT_EQ(launcher.lists[0].mode, 0600u);
        EXPECT_EQ(launcher.lists[0].folderMode, 0700u);
        EXPECT_FALSE(fs::exists(fs::path(launcher.lists[0].path).parent_path()));
        for (const char* name : {"backup.lst", "backup.pif"}) {
            if (links)
                EXPECT_EQ(fs::read_symlink(temp + name), data.file("opfer"));
            else
                EXPECT_EQ(ReadFileBytes(temp + name), "/etc/shadow\n");
        }
        EXPECT_EQ(ReadFileBytes(data.file("opfer")), "opfer");
    }
    EXPECT_TRUE(messages.texts().empty());

    const size_t starts = launcher.started.size();
    // The folder, the working copy (made, written) and the list.
    for (int step = 0; step < 4; ++step) {
        auto fault = ScopedFileFault::FailingStep(step);
        EXPECT_EQ(Run({data.file("a.qlr")}), BackupResult::NotStarted) << step;
    }
    ASSERT_EQ(messages.texts().size(), 4u);
    EXPECT_EQ(messages.texts()[0].rfind("Im temporären Verzeichnis " + temp, 0), 0u);
    EXPECT_EQ(messages.texts()[1].rfind("Die Arbeitskopie " + temp + "quillory-backup-", 0), 0u);
    EXPECT_EQ(messages.texts()[2].rfind("Die Arbeitskopie ", 0), 0u);
    EXPECT_EQ(messages.texts()[3].rfind("Die Dateiliste " + temp + "quillory-backup-", 0), 0u);
    EXPECT_EQ(launcher.started.size(), starts);
    int left = 0;
    for (const auto& entry : fs::directory_iterator(temp))
        left += entry.path().filename().string().rfind("quillory-backup-", 0) == 0;
    EXPECT_EQ(left, 0);
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
    const std::string archive = target + "ZOV.ZIP";
    ASSERT_TRUE(fs::exists(archive));
    const std::string listing = data.file("listing.txt");
    ASSERT_EQ(std::system(("unzip -Z1 " + FakeLauncher::ShellWord(archive) + " > " +
                           FakeLauncher::ShellWord(listing))
                              .c_str()),
              0);
    const std::string names = ReadFileBytes(listing);
    EXPECT_NE(names.find(fs::path(data.file("akten/a.qlr")).relative_path().string()),
              std::string::npos)
        << names;
    ASSERT_TRUE(fs::exists(target + "ZOV.exe"));
    EXPECT_EQ(
        std::system(
            ("unzip -tq " + FakeLauncher::ShellWord(target + "ZOV.exe") + " >/dev/null").c_str()),
        0);
}

} // namespace
