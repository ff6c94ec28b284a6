#include "backup/CopyEngine.h"

#include "backup/ArchivePacking.h"
#include "backup/TBackupOptions.h"
#include "platform/FileServices.h"
#include "platform/Messages.h"
#include "platform/file/OwnFolder.h"
#include "util/FileUtil.h"
#include "util/gui/MessageQueue.h"
#include "util/gui/ResString.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

#include <sys/stat.h>

namespace {

std::string Res(int id) {
    std::string text;
    return ResString(text, id);
}

long DateNumber(const DosFields& f) {
    return (f.year - 1980) * 10000L + f.month * 100L + f.day;
}

long TimeNumber(const DosFields& f) {
    return f.hour * 3600L + f.minute * 60L + f.second / 2;
}

// What one stat call tells of a file.
struct FileFacts {
    bool exists = false;
    bool regular = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
};

FileFacts Facts(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    return {true, S_ISREG(st.st_mode), static_cast<std::uint64_t>(st.st_size), st.st_mtime};
}

// Whether the target is at least as new as the source: the DOS dates first, then the times of
// day. False when either is no regular file or its time lies outside the DOS range.
bool TargetIsCurrent(const FileFacts& source, const FileFacts& target) {
    const std::optional<DosDateTime> s = LocalDosDateTime(source.modified);
    const std::optional<DosDateTime> t = LocalDosDateTime(target.modified);
    if (!s || !t || !source.regular || !target.regular) {
        return false;
    }
    const DosFields sf = SplitDosDateTime(*s);
    const DosFields tf = SplitDosDateTime(*t);
    return DateNumber(tf) > DateNumber(sf) ||
           (DateNumber(tf) == DateNumber(sf) && TimeNumber(tf) >= TimeNumber(sf));
}

// The directory part of a path with its trailing '/'.
std::string TargetDirectory(const std::string& path) {
    return path.substr(0, path.rfind('/') + 1);
}

std::string NotOwnFolderText(const std::string& folder) {
    return "Der Ordner " + folder +
           " gehört nicht Ihnen oder kann von anderen Benutzern verändert werden. Die Sicherung "
           "schreibt nichts dorthin; bitte wählen Sie ein anderes Ziel.";
}

} // namespace

BackupServices DesktopBackupServices(std::function<void(const std::string&)> status,
                                     const void* owner) {
    BackupServices services;
    services.status = std::move(status);
    services.message = [owner](const std::string& text, const std::string& caption,
                               unsigned flags) { return ShowMessage(text, caption, flags, owner); };
    services.checkAbort = [](bool* aborted) { CheckAbort(aborted); };
    services.freeSpace = [](const std::string& path) { return FreeSpace(path); };
    return services;
}

std::string StripTrailingSlashes(std::string backupPath) {
    while (!backupPath.empty() && backupPath.back() == '/') {
        backupPath.pop_back();
    }
    return backupPath;
}

std::string BackupTarget(const std::string& backupPath, const std::string& source,
                         bool createSubDir) {
    const PathParts parts = SplitPath(source);
    return backupPath + (createSubDir ? parts.dir : std::string("/")) + parts.name + parts.ext;
}

namespace {

// What a step tells the loop over an entry's steps.
enum class Flow {
    Next,  // on to the entry's next step
    Skip,  // the entry is done: on to the next entry
    Again, // the same entry from its first step (another disk)
    Stop,  // the run ends; the reason is kept
};

struct Entry {
    size_t index = 0;
    std::string source;
    std::string target;
    FileFacts sourceFacts;
    FileFacts targetFacts;
};

class BackupRun {
public:
    BackupRun(TBackupOptions& options, const BackupServices& services, size_t count,
              const OwnFolder& target)
        : m_options(options), m_services(services), m_count(count), m_packing(options.UsePkzip),
          m_target(target) {
        m_copyOptions.clearAttributes = true;
        m_copyOptions.privateCopy = true;
        m_copyOptions.flush = false; // the whole run is flushed once at its end
        // Esc, or the program's end, inside a large file stops its copy between two steps.
        m_copyOptions.proceed = [this] { return !Aborted(); };
    }

    BackupOutcome Run(const std::vector<std::string>& entries, TArchivePacking* archive);

private:
    using StepFunction = Flow (BackupRun::*)(Entry&);
    struct Step {
        const char* name;
        StepFunction run;
    };
    static const Step kSteps[];

    // Runs the steps of one entry; false when the run stops.
    bool Process(Entry& entry);
    bool Aborted();
    Flow Stop(BackupStop why) {
        m_stop = why;
        return Flow::Stop;
    }
    Flow Cancel() {
        m_services.status(Res(3008));
        return Stop(BackupStop::Cancelled);
    }
    BackupOutcome Finish();

    Flow CompareDates(Entry& e);
    Flow AskOverwrite(Entry& e);
    Flow ShowProgress(Entry& e);
    Flow MakeDirectory(Entry& e);
    Flow CheckSpace(Entry& e);
    Flow Transfer(Entry& e);
    Flow CheckAbortStep(Entry& e);

    TBackupOptions& m_options;
    const BackupServices& m_services;
    const size_t m_count;
    const bool m_packing;
    const OwnFolder& m_target;
    TArchivePacking* m_archive = nullptr;
    CopyOptions m_copyOptions;
    bool m_aborted = false;
    bool m_copiedAny = false;
    BackupStop m_stop = BackupStop::None;
    std::string m_stopStep;
    std::unordered_set<std::string> m_madeDirectories; // this run's, each created once
    // The file names this run copies into each target directory.
    std::unordered_map<std::string, std::vector<std::string>> m_namesByDirectory;
    std::optional<std::uint64_t> m_knownFree; // asked again when a file seems too large
};

const BackupRun::Step BackupRun::kSteps[] = {
    {"dates", &BackupRun::CompareDates},    {"question", &BackupRun::AskOverwrite},
    {"progress", &BackupRun::ShowProgress}, {"directory", &BackupRun::MakeDirectory},
    {"space", &BackupRun::CheckSpace},      {"transfer", &BackupRun::Transfer},
    {"abort", &BackupRun::CheckAbortStep},
};

bool BackupRun::Aborted() {
    m_services.checkAbort(&m_aborted);
    m_aborted = m_aborted || AbortRequested();
    return m_aborted;
}

BackupOutcome BackupRun::Run(const std::vector<std::string>& entries, TArchivePacking* archive) {
    m_archive = archive;
    for (const std::string& source : entries) {
        const std::string target =
            BackupTarget(m_options.BackupPath, source, m_options.CreateSubDir);
        const PathParts parts = SplitPath(target);
        m_namesByDirectory[TargetDirectory(target)].push_back(parts.name + parts.ext);
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        Entry entry;
        entry.index = i;
        entry.source = entries[i];
        entry.target = BackupTarget(m_options.BackupPath, entry.source, m_options.CreateSubDir);
        entry.sourceFacts = m_packing ? FileFacts{} : Facts(entry.source);
        if (!Process(entry)) {
            break;
        }
    }
    return Finish();
}

bool BackupRun::Process(Entry& entry) {
    for (size_t s = 0; s < std::size(kSteps);) {
        const StepFunction run = kSteps[s].run;
        switch ((this->*run)(entry)) {
        case Flow::Next:
            ++s;
            break;
        case Flow::Skip:
            return true;
        case Flow::Again:
            s = 0;
            break;
        case Flow::Stop:
            m_stopStep = kSteps[s].name;
            return false;
        }
    }
    return true;
}

Flow BackupRun::CompareDates(Entry& e) {
    e.targetFacts = m_packing ? FileFacts{} : Facts(e.target);
    const bool current = !m_packing && m_options.OnlyNewerFiles && e.targetFacts.exists &&
                         TargetIsCurrent(e.sourceFacts, e.targetFacts);
    return current ? Flow::Skip : Flow::Next;
}

Flow BackupRun::AskOverwrite(Entry& e) {
    if (m_packing || !m_options.OverwritePrompt || !e.targetFacts.exists) {
        return Flow::Next;
    }
    const int answer = m_services.message(Res(3001) + e.target + Res(3002), "", MB_YESNOCANCEL);
    if (answer == IDNO) {
        return Flow::Skip;
    }
    return answer == IDCANCEL ? Cancel() : Flow::Next;
}

Flow BackupRun::ShowProgress(Entry& e) {
    const size_t percent = ((e.index + 1) * 100) / m_count;
    m_services.status(Res(3003) + e.source + Res(3004) + e.target + " [" + std::to_string(percent) +
                      "%]");
    return Flow::Next;
}

Flow BackupRun::MakeDirectory(Entry& e) {
    // The target directory is made also without sub-directories, when it is missing.
    const std::string dir = TargetDirectory(e.target);
    if (m_packing || m_madeDirectories.count(dir)) {
        return Flow::Next;
    }
    // Below the target entered before the run: the source's folders, or none.
    const OwnFolder folder = m_target.EnterBelow(dir.substr(m_options.BackupPath.size()));
    if (!folder && !folder.refused().empty()) {
        const std::string& refused = folder.refused();
        m_services.message(
            NotOwnFolderText(refused[0] == '/' ? refused : m_options.BackupPath + "/" + refused),
            "", MB_OK | MB_ICONINFORMATION);
        return Stop(BackupStop::TargetRefused);
    }
    if (!folder) {
        m_services.message(e.target, Res(3009), MB_OK | MB_ICONINFORMATION);
        return Stop(BackupStop::DirectoryFailed);
    }
    folder.RemoveTemporariesOf(m_namesByDirectory[dir]);
    m_madeDirectories.insert(dir);
    return Flow::Next;
}

Flow BackupRun::CheckSpace(Entry& e) {
    const FileFacts& source = e.sourceFacts;
    if (m_packing || !source.regular) {
        return Flow::Next;
    }
    if (!(m_knownFree && source.size <= *m_knownFree)) {
        m_knownFree = m_services.freeSpace(e.target);
    }
    if (!m_knownFree || source.size <= *m_knownFree ||
        (e.targetFacts.regular && e.targetFacts.size >= source.size)) {
        return Flow::Next;
    }
    if (m_services.message(Res(3005), "", MB_OKCANCEL) == IDOK) {
        m_knownFree.reset();
        return Flow::Again; // another disk: the same entry again
    }
    return Cancel();
}

Flow BackupRun::Transfer(Entry& e) {
    if (m_packing) {
        return m_archive->AddEntry(e.source) ? Flow::Next : Stop(BackupStop::PackingFailed);
    }
    // A source that is no regular file (a FIFO, a device) fails here like an unreadable one.
    const CopyResult copied = CopyFile(e.source, e.target, m_copyOptions);
    if (copied == CopyResult::Stopped) {
        return Cancel();
    }
    if (copied == CopyResult::Failed) {
        m_services.message(Res(3006) + e.source + Res(3007) + e.target, "",
                           MB_OK | MB_ICONINFORMATION);
        m_aborted = true;
        return Stop(BackupStop::CopyFailed);
    }
    m_copiedAny = true;
    if (m_knownFree) {
        *m_knownFree -= std::min(*m_knownFree, e.sourceFacts.size);
    }
    return Flow::Next;
}

Flow BackupRun::CheckAbortStep(Entry&) {
    return Aborted() ? Cancel() : Flow::Next;
}

BackupOutcome BackupRun::Finish() {
    const auto outcome = [this](BackupResult result, BackupStop stop) {
        return BackupOutcome{result, stop, stop == m_stop ? m_stopStep : std::string()};
    };
    // The copies reach the disk once, at the end of the run, also when it stopped early.
    if (m_copiedAny && !SyncFileSystemOf(m_options.BackupPath + "/")) {
        m_services.status("Die Sicherung konnte nicht vollständig auf den Datenträger "
                          "geschrieben werden!");
        return outcome(BackupResult::Aborted, BackupStop::FlushFailed);
    }
    switch (m_stop) {
    case BackupStop::None:
        break;
    case BackupStop::DirectoryFailed: // said in its box; the dialog closes
        return outcome(BackupResult::Completed, m_stop);
    case BackupStop::PackingFailed:
        m_services.status(m_archive->FailureText());
        return outcome(BackupResult::Failed, m_stop);
    default: // an aborted run is not packed: the user stopped the backup
        return outcome(BackupResult::Aborted, m_stop);
    }
    if (m_packing && !m_archive->Finish()) {
        m_services.status(m_archive->FailureText());
        return outcome(BackupResult::Failed, BackupStop::PackingFailed);
    }
    return outcome(BackupResult::Completed, BackupStop::None);
}

} // namespace

BackupOutcome RunBackupSteps(TBackupOptions& options, const std::vector<std::string>& entries,
                             const BackupServices& services, const std::string& programDir,
                             const std::string& tempDir, IProgramLauncher& launcher) {
    if (entries.empty()) {
        return {};
    }
    options.BackupPath = StripTrailingSlashes(options.BackupPath);
    std::optional<TArchivePacking> archive;
    if (options.UsePkzip) {
        archive.emplace(options, programDir, tempDir, launcher);
        if (!archive->Prepare()) {
            return {BackupResult::NotStarted, BackupStop::NotPrepared, ""};
        }
    }
    // Nothing is written into a target that someone else could redirect.
    const OwnFolder target =
        OwnFolder::Enter(options.BackupPath.empty() ? "/" : options.BackupPath);
    if (!target && !target.refused().empty()) {
        services.message(NotOwnFolderText(target.refused()), "", MB_OK | MB_ICONINFORMATION);
        return {BackupResult::NotStarted, BackupStop::TargetRefused, ""};
    }
    if (!target) {
        services.message(options.BackupPath, Res(3009), MB_OK | MB_ICONINFORMATION);
        return {BackupResult::Completed, BackupStop::DirectoryFailed, ""};
    }
    BackupRun run(options, services, entries.size(), target);
    return run.Run(entries, archive ? &*archive : nullptr);
}

BackupResult RunBackup(TBackupOptions& options, const std::vector<std::string>& entries,
                       const BackupServices& services, const std::string& programDir,
                       const std::string& tempDir, IProgramLauncher& launcher) {
    return RunBackupSteps(options, entries, services, programDir, tempDir, launcher).result;
}
