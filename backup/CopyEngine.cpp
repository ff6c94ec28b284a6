#include "backup/CopyEngine.h"

#include "backup/ArchivePacking.h"
#include "backup/TBackupOptions.h"
#include "platform/FileServices.h"
#include "platform/Messages.h"
#include "util/FileUtil.h"
#include "util/gui/MessageQueue.h"
#include "util/gui/ResString.h"

#include <algorithm>
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

BackupResult RunBackup(TBackupOptions& options, const std::vector<std::string>& entries,
                       const BackupServices& services, const std::string& programDir,
                       const std::string& tempDir, IProgramLauncher& launcher) {
    const size_t count = entries.size();
    if (count == 0) {
        return BackupResult::NothingToDo;
    }
    options.BackupPath = StripTrailingSlashes(options.BackupPath);
    const bool packing = options.UsePkzip;
    std::optional<TArchivePacking> archive;
    if (packing) {
        archive.emplace(options, programDir, tempDir, launcher);
        if (!archive->Prepare()) {
            return BackupResult::NotStarted;
        }
    }
    const auto abort = [&] { services.status(Res(3008)); };

    bool aborted = false;
    bool copiedAny = false;
    // Esc inside a large file stops its copy between two steps.
    CopyOptions copyOptions;
    copyOptions.clearAttributes = true;
    copyOptions.flush = false; // the whole run is flushed once at its end
    copyOptions.proceed = [&] {
        services.checkAbort(&aborted);
        return !aborted;
    };
    std::unordered_set<std::string> madeDirectories; // this run's, each created once
    std::optional<std::uint64_t> knownFree;          // asked again when a file seems too large
    for (size_t i = 0; i < count && !aborted; ++i) {
        const std::string& source = entries[i];
        const std::string target = BackupTarget(options.BackupPath, source, options.CreateSubDir);
        const FileFacts sourceFacts = packing ? FileFacts{} : Facts(source);
        bool skip = false;
        bool leave = false;
        for (;;) { // once per entry, again after a disk change
            const FileFacts targetFacts = packing ? FileFacts{} : Facts(target);
            if (!packing && options.OnlyNewerFiles && targetFacts.exists &&
                TargetIsCurrent(sourceFacts, targetFacts)) {
                skip = true;
                break;
            }
            if (!packing && options.OverwritePrompt && targetFacts.exists) {
                const int answer =
                    services.message(Res(3001) + target + Res(3002), "", MB_YESNOCANCEL);
                if (answer == IDNO) {
                    skip = true;
                    break;
                }
                if (answer == IDCANCEL) {
                    abort();
                    aborted = true;
                    break;
                }
            }
            const size_t percent = ((i + 1) * 100) / count;
            services.status(Res(3003) + source + Res(3004) + target + " [" +
                            std::to_string(percent) + "%]");
            if (packing) {
                break;
            }
            // The target directory is made also without sub-directories, when it is missing.
            const std::string dir = TargetDirectory(target);
            if (!madeDirectories.count(dir)) {
                if (!CreatePath(target)) {
                    services.message(target, Res(3009), MB_OK | MB_ICONINFORMATION);
                    leave = true;
                    break;
                }
                madeDirectories.insert(dir);
            }
            if (sourceFacts.regular && !(knownFree && sourceFacts.size <= *knownFree)) {
                knownFree = services.freeSpace(target);
            }
            if (sourceFacts.regular && knownFree && sourceFacts.size > *knownFree &&
                !(targetFacts.regular && targetFacts.size >= sourceFacts.size)) {
                if (services.message(Res(3005), "", MB_OKCANCEL) == IDOK) {
                    knownFree.reset();
                    continue; // another disk: the same entry again
                }
                abort();
                aborted = true;
            }
            break;
        }
        if (aborted || leave) {
            break;
        }
        if (skip) {
            continue;
        }
        if (packing) {
            archive->AddEntry(source);
        } else {
            const CopyResult copied = CopyFile(source, target, copyOptions);
            if (copied == CopyResult::Stopped) {
                abort();
                break;
            }
            if (copied == CopyResult::Failed) {
                services.message(Res(3006) + source + Res(3007) + target, "",
                                 MB_OK | MB_ICONINFORMATION);
                aborted = true;
                break;
            }
            copiedAny = true;
            if (knownFree) {
                *knownFree -= std::min(*knownFree, sourceFacts.size);
            }
        }
        services.checkAbort(&aborted);
        if (aborted) {
            abort();
        }
    }
    // The copies reach the disk once, at the end of the run, also when it stopped early.
    if (copiedAny && !SyncFileSystemOf(options.BackupPath + "/")) {
        services.status("Die Sicherung konnte nicht vollständig auf den Datenträger geschrieben "
                        "werden!");
        return BackupResult::Aborted;
    }
    // An aborted run is not packed: the user stopped the backup.
    if (packing && !aborted && !archive->Finish()) {
        services.status(archive->FailureText());
        return BackupResult::Failed;
    }
    return aborted ? BackupResult::Aborted : BackupResult::Completed;
}
