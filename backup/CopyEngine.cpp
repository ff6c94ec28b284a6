#include "backup/CopyEngine.h"

#include "backup/ArchivePacking.h"
#include "backup/TBackupOptions.h"
#include "platform/FileServices.h"
#include "platform/Messages.h"
#include "util/FileUtil.h"
#include "util/gui/MessageQueue.h"
#include "util/gui/ResString.h"

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

Freshness CompareFileTimes(const std::string& source, const std::string& target) {
    const std::optional<DosDateTime> s = GetDosFileTime(source);
    const std::optional<DosDateTime> t = GetDosFileTime(target);
    if (!s || !t || !RegularFileSize(source) || !RegularFileSize(target)) {
        return Freshness::Unknown;
    }
    const DosFields sf = SplitDosDateTime(*s);
    const DosFields tf = SplitDosDateTime(*t);
    if (DateNumber(tf) > DateNumber(sf)) {
        return Freshness::TargetCurrent;
    }
    if (DateNumber(tf) == DateNumber(sf) && TimeNumber(tf) >= TimeNumber(sf)) {
        return Freshness::TargetCurrent;
    }
    return Freshness::SourceNewer;
}

BackupResult RunBackup(TBackupOptions& options, const std::vector<std::string>& entries,
                       const BackupServices& services, const std::string& programDir,
                       const std::string& tempDir, IProgramLauncher& launcher, const void* owner) {
    const size_t count = entries.size();
    if (count == 0) {
        return BackupResult::NothingToDo;
    }
    options.BackupPath = StripTrailingSlashes(options.BackupPath);
    const bool packing = options.UsePkzip;
    std::optional<TArchivePacking> archive;
    if (packing) {
        archive.emplace(options, programDir, tempDir, launcher, owner);
        if (!archive->Prepare()) {
            return BackupResult::NotStarted;
        }
    }
    const auto abort = [&] { services.status(Res(3008)); };

    bool aborted = false;
    for (size_t i = 0; i < count && !aborted; ++i) {
        const std::string& source = entries[i];
        const std::string target = BackupTarget(options.BackupPath, source, options.CreateSubDir);
        bool skip = false;
        bool leave = false;
        for (;;) { // once per entry, again after a disk change
            const bool exists = FileExists(target);
            if (!packing && options.OnlyNewerFiles && exists &&
                CompareFileTimes(source, target) == Freshness::TargetCurrent) {
                skip = true;
                break;
            }
            if (!packing && options.OverwritePrompt && exists) {
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
            if (options.CreateSubDir && !CreatePath(target)) {
                services.message(target, Res(3009), MB_OK | MB_ICONINFORMATION);
                leave = true;
                break;
            }
            const std::optional<std::uint64_t> sourceSize = RegularFileSize(source);
            const std::optional<std::uint64_t> free = services.freeSpace(target);
            if (sourceSize && free && *sourceSize > *free) {
                const std::optional<std::uint64_t> targetSize = RegularFileSize(target);
                if (!(targetSize && *targetSize >= *sourceSize)) {
                    if (services.message(Res(3005), "", MB_OKCANCEL) == IDOK) {
                        continue; // another disk: the same entry again
                    }
                    abort();
                    aborted = true;
                }
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
        } else if (!CopyFileTo(source, target, true)) {
            services.message(Res(3006) + source + Res(3007) + target, "",
                             MB_OK | MB_ICONINFORMATION);
            aborted = true;
            break;
        }
        services.checkAbort(&aborted);
        if (aborted) {
            abort();
        }
    }
    // An aborted run is not packed: the user stopped the backup.
    if (packing && !aborted) {
        archive->Finish();
    }
    return aborted ? BackupResult::Aborted : BackupResult::Completed;
}
