#include "backup/CopyEngine.h"
#include "backup/ArchivePacking.h"
#include "backup/TBackupOptions.h"

#include "platform/FileServices.h"
#include "platform/Messages.h"
#include "platform/file/AtomicFile.h"
#include "tests/support/TestSupport.h"
#include "util/FileUtil.h"
#include "util/gui/MessageQueue.h"

#include <gtest/gtest.h>

#include <csignal>
#include <deque>
#include <filesystem>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

DosDateTime At(int year, int month, int day, int hour, int minute, int second) {
    return JoinDosDateTime({year, month, day, hour, minute, second});
}

class NoLauncher : public IProgramLauncher {
public:
    bool StartPif(const std::string&) override {
        ADD_FAILURE() << "nothing is started";
        return false;
    }
    bool WindowExists(const std::string&) override { return false; }
    void PumpMessages() override {}
    std::uint32_t TickCount() override { return 0; }
};

// A run against scripted answers, a staged disk and a recorded status line.
class CopyRun : public ::testing::Test {
protected:
    TempDir source;
    TempDir target;
    TempDir temp;
    TBackupOptions options;
    std::vector<std::string> statuses;
    std::vector<MessageRequest> messages;
    std::deque<int> answers;
    std::function<std::optional<std::uint64_t>(const std::string&)> freeSpace;
    int abortAfter = -1; // Esc after that many checks
    NoLauncher launcher;

    void SetUp() override {
        options.BackupPath = target.path();
        options.OnlyNewerFiles = false;
    }
    std::string Source(const std::string& name, const std::string& bytes = "daten") {
        fs::create_directories(fs::path(source.file(name)).parent_path());
        WriteFileBytes(source.file(name), bytes);
        return source.file(name);
    }
    std::string TargetOf(const std::string& src) const {
        return BackupTarget(StripTrailingSlashes(target.path()), src, options.CreateSubDir);
    }
    BackupResult Run(const std::vector<std::string>& entries) { return RunSteps(entries).result; }
    BackupOutcome RunSteps(const std::vector<std::string>& entries) {
        BackupServices services;
        services.status = [this](const std::string& s) { statuses.push_back(s); };
        services.message = [this](const std::string& text, const std::string& caption,
                                  unsigned flags) {
            messages.push_back({nullptr, text, caption, flags});
            if (answers.empty())
                return static_cast<int>(IDOK);
            const int a = answers.front();
            answers.pop_front();
            return a;
        };
        services.checkAbort = [this](bool* aborted) {
            if (abortAfter >= 0 && abortAfter-- == 0)
                *aborted = true;
        };
        services.freeSpace = [this](const std::string& path) {
            return freeSpace ? freeSpace(path) : std::optional<std::uint64_t>{};
        };
        return RunBackupSteps(options, entries, services, "/nonexistent/", temp.path(), launcher);
    }
};

TEST(BackupTarget, SubDirectoriesStrippingAndTheRoot) {
    EXPECT_EQ(StripTrailingSlashes("/media/stick///"), "/media/stick");
    EXPECT_EQ(BackupTarget("/media/stick", "/daten/brief.txt", true),
              "/media/stick/daten/brief.txt");
    EXPECT_EQ(BackupTarget("/media/stick", "/daten/brief.txt", false), "/media/stick/brief.txt");
    // A target of "/" stripped to nothing gives the source's own path.
    EXPECT_EQ(BackupTarget(StripTrailingSlashes("/"), "/daten/brief.txt", true),
              "/daten/brief.txt");
}

TEST_F(CopyRun, NothingToDoWithoutEntries) {
    EXPECT_EQ(Run({}), BackupResult::NothingToDo);
    EXPECT_TRUE(statuses.empty());
}

TEST_F(CopyRun, CopiesWithSubDirectoriesAndShowsProgress) {
    const std::string a = Source("eins/a.qlr"), b = Source("zwei/b.qlr"), c = Source("c.qlr");
    ::chmod(a.c_str(), 0444);
    options.BackupPath = target.path() + "//";
    EXPECT_EQ(Run({a, b, c}), BackupResult::Completed);
    ASSERT_EQ(statuses.size(), 3u);
    EXPECT_EQ(statuses[0], "Kopiere Datei " + a + " nach " + TargetOf(a) + " [33%]");
    EXPECT_NE(statuses[1].find(" [66%]"), std::string::npos);
    EXPECT_NE(statuses[2].find(" [100%]"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(TargetOf(a)), "daten");
    EXPECT_EQ(::access(TargetOf(a).c_str(), W_OK), 0) << "a read-only source gives a writable copy";
    EXPECT_TRUE(fs::exists(TargetOf(c)));
    EXPECT_EQ(options.BackupPath, StripTrailingSlashes(target.path()));
}

TEST_F(CopyRun, OnlyStrictlyNewerSourcesAreCopied) {
    options.OnlyNewerFiles = true;
    options.CreateSubDir = false;
    const std::string same = Source("same.qlr", "neu"), dateWins = Source("date.qlr", "neu"),
                      newer = Source("newer.qlr", "neu");
    for (const std::string& s : {same, dateWins, newer})
        WriteFileBytes(TargetOf(s), "alt");
    SetDosFileTime(same, At(2026, 5, 1, 12, 0, 0));
    SetDosFileTime(TargetOf(same), At(2026, 5, 1, 12, 0, 0));
    // Target a day newer but earlier in the day: the date decides.
    SetDosFileTime(dateWins, At(2026, 5, 1, 18, 0, 0));
    SetDosFileTime(TargetOf(dateWins), At(2026, 5, 2, 8, 0, 0));
    SetDosFileTime(newer, At(2026, 5, 1, 12, 0, 2));
    SetDosFileTime(TargetOf(newer), At(2026, 5, 1, 12, 0, 0));
    EXPECT_EQ(Run({same, dateWins, newer}), BackupResult::Completed);
    EXPECT_EQ(ReadFileBytes(TargetOf(same)), "alt");
    EXPECT_EQ(ReadFileBytes(TargetOf(dateWins)), "alt");
    EXPECT_EQ(ReadFileBytes(TargetOf(newer)), "neu");
    EXPECT_EQ(statuses.size(), 1u) << "skipped entries show no status";
}

TEST_F(CopyRun, OverwriteQuestionNoSkipsCancelAborts) {
    options.OverwritePrompt = true;
    options.CreateSubDir = false;
    const std::string a = Source("a.qlr", "neu"), b = Source("b.qlr", "neu"),
                      c = Source("c.qlr", "neu");
    for (const std::string& s : {a, b, c})
        WriteFileBytes(TargetOf(s), "alt");
    answers = {IDNO, IDCANCEL};
    EXPECT_EQ(Run({a, b, c}), BackupResult::Aborted);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "Die Datei " + TargetOf(a) + " existiert bereits! Überschreiben?");
    EXPECT_EQ(messages[0].flags & MB_TYPEMASK, static_cast<unsigned>(MB_YESNOCANCEL));
    EXPECT_EQ(statuses.back(), "Vorgang abgebrochen!");
    for (const std::string& s : {a, b, c})
        EXPECT_EQ(ReadFileBytes(TargetOf(s)), "alt");
}

TEST_F(CopyRun, ASmallDiskAsksForAnotherUntilItFitsOrTheUserCancels) {
    const std::string big = Source("big.qlr", std::string(5000, 'x'));
    int asked = 0;
    answers = {IDOK, IDOK};
    const auto count = [&] {
        asked = 0;
        for (const auto& m : messages)
            asked += m.text.rfind("Nicht genug Platz", 0) == 0;
    };
    freeSpace = [&](const std::string&) -> std::optional<std::uint64_t> {
        count();
        return asked < 2 ? 1000 : 100000; // the third disk is large enough
    };
    EXPECT_EQ(Run({big}), BackupResult::Completed);
    count();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(messages[0].text,
              "Nicht genug Platz auf dem Zieldatenträger\nLegen Sie einen neuen Datenträger ein!");
    EXPECT_EQ(statuses.size(), 3u) << "the same entry again after each disk change";
    EXPECT_EQ(ReadFileBytes(TargetOf(big)).size(), 5000u);

    // A target already as large counts as enough room; Cancel aborts.
    messages.clear();
    statuses.clear();
    freeSpace = [](const std::string&) { return std::optional<std::uint64_t>(10); };
    EXPECT_EQ(Run({big}), BackupResult::Completed);
    EXPECT_TRUE(messages.empty());
    const std::string other = Source("other.qlr", std::string(5000, 'y'));
    answers = {IDCANCEL};
    EXPECT_EQ(Run({other}), BackupResult::Aborted);
    EXPECT_EQ(statuses.back(), "Vorgang abgebrochen!");
    EXPECT_FALSE(fs::exists(TargetOf(other)));
}

TEST_F(CopyRun, EscOrEnterAbortsAfterTheCurrentFile) {
    const std::string a = Source("a.qlr"), b = Source("b.qlr");
    abortAfter = 0;
    EXPECT_EQ(Run({a, b}), BackupResult::Aborted);
    EXPECT_TRUE(fs::exists(TargetOf(a)));
    EXPECT_FALSE(fs::exists(TargetOf(b)));
    EXPECT_EQ(statuses.back(), "Vorgang abgebrochen!");
}

TEST_F(CopyRun, AMissingTargetIsCreatedAlsoWithoutSubDirectories) {
    const std::string a = Source("README");
    options.CreateSubDir = false;
    options.BackupPath = target.file("Quillory-Sicherung/");
    EXPECT_EQ(Run({a}), BackupResult::Completed);
    EXPECT_EQ(ReadFileBytes(target.file("Quillory-Sicherung/README")), "daten");
}

TEST_F(CopyRun, EscOrTheProgramsEndInsideALargeFileLeavesNoPartialCopy) {
    options.CreateSubDir = false;
    const std::string big = Source("gross.qlr", std::string(9 << 20, 'g'));
    for (const bool ending : {false, true}) {
        abortAfter = ending ? -1 : 0; // Esc between the first two steps of the copy
        RequestAbort(ending);         // as a termination signal does
        const BackupOutcome outcome = RunSteps({big});
        RequestAbort(false);
        EXPECT_EQ(outcome.result, BackupResult::Aborted);
        EXPECT_EQ(outcome.stop, BackupStop::Cancelled);
        EXPECT_EQ(outcome.step, "transfer");
        EXPECT_EQ(statuses.back(), "Vorgang abgebrochen!");
        EXPECT_TRUE(fs::is_empty(target.path()));
    }
}

TEST_F(CopyRun, FailuresOfDirectoryCreationAndCopy) {
    const std::string a = Source("sub/a.qlr");
    // A plain file where the sub-directories must go: the run ends, the dialog closes.
    const std::string first = fs::path(source.path()).relative_path().begin()->string();
    WriteFileBytes(target.file(first), "kein Verzeichnis");
    EXPECT_EQ(Run({a}), BackupResult::Completed);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, TargetOf(a));
    EXPECT_EQ(messages[0].caption, "Verzeichniserzeugung gescheitert!");

    messages.clear();
    options.CreateSubDir = false;
    const std::string missing = source.file("fehlt.qlr");
    EXPECT_EQ(Run({missing}), BackupResult::Aborted);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "Kopiervorgang gescheitert:\n" + missing + "\nnach\n" + TargetOf(missing));

    // A FIFO among the sources fails like an unreadable file instead of blocking the run.
    messages.clear();
    const std::string a2 = Source("a2.qlr"), fifo = source.file("fifo.qlr");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ::alarm(20); // a hang ends the test program
    const BackupOutcome outcome = RunSteps({a2, fifo, Source("c.qlr")});
    ::alarm(0);
    EXPECT_EQ(outcome.result, BackupResult::Aborted);
    EXPECT_EQ(outcome.stop, BackupStop::CopyFailed);
    EXPECT_EQ(outcome.step, "transfer");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "Kopiervorgang gescheitert:\n" + fifo + "\nnach\n" + TargetOf(fifo));
    EXPECT_EQ(ReadFileBytes(TargetOf(a2)), "daten");
    EXPECT_FALSE(fs::exists(TargetOf(fifo)));
}

// What a run writes is the user's alone whatever the umask: the folders it makes 0700, the
// copies 0600, also over an earlier copy that everyone could read.
TEST_F(CopyRun, FoldersAndCopiesArePrivateWhateverTheUmask) {
    const std::string a = Source("eins/a.qlr");
    ::chmod(a.c_str(), 0644);
    options.BackupPath = target.file("neu/Sicherung");
    const std::string copy = BackupTarget(options.BackupPath, a, true);
    const mode_t umask = ::umask(0);
    EXPECT_EQ(Run({a}), BackupResult::Completed);
    ::chmod(copy.c_str(), 0644);
    EXPECT_EQ(Run({a}), BackupResult::Completed);
    ::umask(umask);
    EXPECT_EQ(ReadFileBytes(copy), "daten");
    EXPECT_EQ(ModeOf(copy), 0600u);
    for (fs::path dir = fs::path(copy).parent_path(); dir != fs::path(target.file("neu"));
         dir = dir.parent_path())
        EXPECT_EQ(ModeOf(dir), 0700u) << dir;
    EXPECT_EQ(ModeOf(target.file("neu")), 0700u);
}

// A target is entered folder by folder. One that another user could redirect (his folder, his
// link, a folder everyone may write without the sticky bit) is refused with its name before
// anything is written; a sticky folder as /tmp and the user's own links are fine. The cases
// of a second user are left out where none can be had.
TEST_F(CopyRun, ATargetThatIsNotTheUsersIsRefusedAndNothingIsWritten) {
    const std::optional<uid_t> bert = SecondUser();
    const auto folder = [this](const std::string& name, mode_t mode, int owner = -1) {
        fs::create_directories(target.file(name));
        ::chmod(target.file(name).c_str(), mode);
        if (owner >= 0) {
            EXPECT_EQ(::lchown(target.file(name).c_str(), static_cast<uid_t>(owner), 0), 0);
        }
        return target.file(name);
    };
    const auto link = [this](const std::string& name, const std::string& to, int owner = -1) {
        fs::create_symlink(to, target.file(name));
        if (owner >= 0) {
            EXPECT_EQ(::lchown(target.file(name).c_str(), static_cast<uid_t>(owner), 0), 0);
        }
        return target.file(name);
    };
    const int other = bert ? static_cast<int>(*bert) : -1;
    struct Case {
        const char* name;
        bool needsOther;
        std::function<std::string()> plant; // makes the target, gives the backup path
        std::string refused;                // the folder named, "" when the run goes ahead
        std::string untouched;              // a folder that must stay empty
    };
    const std::vector<Case> cases = {
        {"everyone may write", false, [&] { return folder("offen", 0777) + "/Sicherung"; },
         target.file("offen"), target.file("offen")},
        {"sticky", false, [&] { return folder("tmp", 01777) + "/Sicherung"; }, "", ""},
        {"own link", false,
         [&] {
             folder("echt", 0700);
             return link("verweis", target.file("echt"));
         },
         "", ""},
        {"his folder", true, [&] { return folder("bert", 0755, other); }, target.file("bert"),
         target.file("bert")},
        {"his link in a sticky folder", true,
         [&] {
             folder("geteilt", 01777);
             folder("bertsdir", 0777, other);
             return link("geteilt/qlr-sicherung", target.file("bertsdir"), other);
         },
         target.file("geteilt/qlr-sicherung"), target.file("bertsdir")},
    };
    const std::string a = Source("a.qlr");
    options.CreateSubDir = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsOther && !bert)
            continue;
        for (const auto& entry : fs::directory_iterator(target.path()))
            fs::remove_all(entry.path());
        messages.clear();
        options.BackupPath = c.plant();
        const BackupOutcome outcome = RunSteps({a});
        if (c.refused.empty()) {
            EXPECT_EQ(outcome.result, BackupResult::Completed);
            EXPECT_EQ(ReadFileBytes(options.BackupPath + "/a.qlr"), "daten");
            continue;
        }
        EXPECT_EQ(outcome.result, BackupResult::NotStarted);
        EXPECT_EQ(outcome.stop, BackupStop::TargetRefused);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.rfind("Der Ordner " + c.refused + " gehört nicht Ihnen", 0), 0u)
            << messages[0].text;
        EXPECT_TRUE(fs::is_empty(c.untouched));
    }
    if (!bert)
        return;
    // His folder planted among the source's folders below a sticky target: refused there.
    const std::string shared = folder("gemeinsam", 01777);
    const std::string planted = shared + fs::path(source.path()).parent_path().string();
    fs::create_directories(planted);
    for (fs::path dir = planted; dir != fs::path(shared); dir = dir.parent_path())
        ::chmod(dir.c_str(), 0755);
    ASSERT_EQ(::chown(planted.c_str(), *bert, 0), 0);
    ::chmod(planted.c_str(), 0777);
    options.BackupPath = shared;
    options.CreateSubDir = true;
    messages.clear();
    const BackupOutcome outcome = RunSteps({a});
    EXPECT_EQ(outcome.stop, BackupStop::TargetRefused);
    EXPECT_EQ(outcome.step, "directory");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find(planted + " gehört nicht Ihnen"), std::string::npos)
        << messages[0].text;
    EXPECT_TRUE(fs::is_empty(planted));
}

// A copy killed half-way leaves its hidden temporary beside the target; the next run into
// that folder removes it, and only the temporaries of its own files.
TEST_F(CopyRun, AKilledCopysTemporaryIsRemovedByTheNextRun) {
    options.CreateSubDir = false;
    const std::string big = Source("gross.qlr", std::string(9 << 20, 'g'));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CopyOptions killed;
        killed.proceed = [] { return ::raise(SIGKILL) == 0; };
        CopyFile(big, TargetOf(big), killed);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(target.path()))
        left.push_back(entry.path().filename().string());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(IsTemporaryNameOf(TargetOf(big), left[0])) << left[0];
    const std::string others = target.file(TemporaryPrefixOf("b.qlr") + "0123456789.tmp");
    const std::string plain = target.file(".~gross.qlr.tmp");
    WriteFileBytes(others, "b");
    WriteFileBytes(plain, "?");

    EXPECT_EQ(Run({big}), BackupResult::Completed);
    EXPECT_FALSE(fs::exists(target.file(left[0])));
    EXPECT_EQ(fs::file_size(TargetOf(big)), 9u << 20);
    EXPECT_TRUE(fs::exists(others));
    EXPECT_TRUE(fs::exists(plain));
}

TEST_F(CopyRun, SourceAndTargetTheSameFileCountsAsCopied) {
    const std::string a = Source("a.qlr");
    options.BackupPath = "/";
    EXPECT_EQ(Run({a}), BackupResult::Completed);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadFileBytes(a), "daten");
}

} // namespace
