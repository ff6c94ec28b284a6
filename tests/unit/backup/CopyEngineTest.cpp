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
#include <iterator>

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

// What a run writes is private whatever the umask: its folders 0700, its copies 0600 (also
// over a copy that others could read). A copy killed half-way leaves its temporary, which the
// next run into that folder removes, and only the temporaries of its own files.
TEST_F(CopyRun, WhatARunWritesIsPrivateAndAKilledCopyIsCleanedUp) {
    options.CreateSubDir = false;
    options.BackupPath = target.file("neu");
    const std::string big = Source("gross.qlr", std::string(9 << 20, 'g'));
    const std::string copy = options.BackupPath + "/gross.qlr";
    const std::string others = target.file("neu/" + TemporaryPrefixOf("b.qlr") + "0123456789.tmp");
    const mode_t umask = ::umask(0);
    EXPECT_EQ(Run({big}), BackupResult::Completed);
    ::chmod(copy.c_str(), 0644);
    WriteFileBytes(others, "b");
    const pid_t child = ::fork();
    if (child == 0) {
        CopyOptions killed;
        killed.proceed = [] { return ::raise(SIGKILL) == 0; };
        CopyFile(big, copy, killed);
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(target.file("neu")), fs::directory_iterator()),
              3);
    EXPECT_EQ(Run({big}), BackupResult::Completed);
    ::umask(umask);
    EXPECT_EQ(ModeOf(target.file("neu")), 0700u);
    EXPECT_EQ(ModeOf(copy), 0600u);
    EXPECT_EQ(fs::file_size(copy), 9u << 20);
    EXPECT_EQ(std::distance(fs::directory_iterator(target.file("neu")), fs::directory_iterator()),
              2)
        << "killed copy's";
    EXPECT_TRUE(fs::exists(others));
}

// A target that another user could redirect (his folder or link on the way, a folder everyone
// may write without the sticky bit, also among the source's folders below the target) is
// refused, naming it, and nothing is written. A sticky folder as /tmp and one's own links are
// fine. The second user's cases are left out where none can be had.
TEST_F(CopyRun, ATargetAnotherUserCouldRedirectIsRefusedAndNothingIsWritten) {
    const bool bert = SecondUser().has_value();
    const std::string sourceDir = fs::path(source.path()).parent_path().string();
    struct Case {
        std::string make, path, refused; // shell commands in the target folder, paths below it
    };
    const std::vector<Case> cases = {
        {"mkdir -m 777 offen", "offen/Sicherung", "offen"},
        {"mkdir -m 1777 tmp", "tmp/Sicherung", ""},
        {"mkdir echt && ln -s echt verweis", "verweis", ""},
        {"mkdir bert && chown quillory-test bert", "bert", "bert"},
        {"mkdir -m 1777 geteilt && mkdir -m 777 bertsdir && ln -s ../bertsdir geteilt/qlr && "
         "chown -h quillory-test bertsdir geteilt/qlr",
         "geteilt/qlr", "geteilt/qlr"},
        {"mkdir -m 1777 gem && mkdir -p gem" + sourceDir + " && chown quillory-test gem" +
             sourceDir,
         "gem", "gem" + sourceDir},
    };
    const std::string a = Source("a.qlr");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.make);
        if (!bert && c.make.find("quillory-test") != std::string::npos)
            continue;
        const std::string shell = "cd '" + target.path() + "' && rm -rf -- * && umask 022 && ";
        ASSERT_EQ(std::system((shell + c.make).c_str()), 0);
        messages.clear();
        options.BackupPath = target.file(c.path);
        options.CreateSubDir = c.path == "gem";
        const BackupOutcome outcome = RunSteps({a});
        if (c.refused.empty()) {
            EXPECT_EQ(ReadFileBytes(target.file(c.path + "/a.qlr")), "daten");
            continue;
        }
        EXPECT_EQ(outcome.stop, BackupStop::TargetRefused);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(
            messages[0].text.rfind("Der Ordner " + target.file(c.refused) + " gehört nicht", 0), 0u)
            << messages[0].text;
        for (const auto& entry : fs::recursive_directory_iterator(target.path()))
            EXPECT_FALSE(entry.is_regular_file()) << entry.path();
    }
}

TEST_F(CopyRun, SourceAndTargetTheSameFileCountsAsCopied) {
    const std::string a = Source("a.qlr");
    options.BackupPath = "/";
    EXPECT_EQ(Run({a}), BackupResult::Completed);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadFileBytes(a), "daten");
}

} // namespace
