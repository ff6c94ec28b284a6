#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class IProgramLauncher;
class TBackupOptions;

// What a backup run asks of the dialog around it; tests stage answers and a small disk.
struct BackupServices {
    // The two-line status text of the dialog.
    std::function<void(const std::string& text)> status;
    // A message box owned by the dialog; returns the button chosen.
    std::function<int(const std::string& text, const std::string& caption, unsigned flags)> message;
    // Sets the flag when Esc or Enter was pressed since the last call.
    std::function<void(bool* aborted)> checkAbort;
    // Free bytes where the path would be written; nullopt skips the check.
    std::function<std::optional<std::uint64_t>(const std::string& path)> freeSpace;
};

// The program's own services for a dialog: ShowMessage, CheckAbort and the file system's
// free space; status goes to the function given.
BackupServices DesktopBackupServices(std::function<void(const std::string&)> status,
                                     const void* owner);

enum class BackupResult {
    NothingToDo, // no entry to process
    NotStarted,  // a packing check failed before the first entry
    Completed,   // the dialog closes with OK
    Aborted,     // the dialog stays open with its status text
    Failed,      // the packer or converter did not start; status text, the dialog stays open
};

// backupPath without trailing '/'.
std::string StripTrailingSlashes(std::string backupPath);
// The target of a source: backupPath + the source's directory (createSubDir) or "/", then its
// name and extension.
std::string BackupTarget(const std::string& backupPath, const std::string& source,
                         bool createSubDir);

// Why a run ended.
enum class BackupStop {
    None,            // every entry processed
    NothingToDo,     // no entry
    NotPrepared,     // a packing check or preparing step failed (said)
    Cancelled,       // Esc, Enter, Cancel at a question, or the program ending
    DirectoryFailed, // the target directory could not be made (said)
    TargetRefused,   // a folder on the target is not the user's: nothing written there (said)
    CopyFailed,      // a copy failed (said)
    FlushFailed,     // the copies could not be flushed to the disk
    PackingFailed,   // the list, the packer, the converter or the archive (FailureText)
};

struct BackupOutcome {
    BackupResult result = BackupResult::NothingToDo;
    BackupStop stop = BackupStop::NothingToDo;
    // The step of an entry in which the run stopped ("" when none did).
    std::string step;
};

// One run of the Start button over the entries (list-box order; already the selected ones when
// only those are backed up). Strips the options' BackupPath for good. Each entry passes named
// steps in turn (dates, question, progress, directory, space, transfer, abort check); a step
// may skip the entry, repeat it from the start or stop the run. The target is entered folder by
// folder before the first entry, made where missing (0700), and refused when a folder on it is
// not the user's. In copy mode each copy is private (0600), whole or absent (Esc or the
// program's end stops also inside a large file; what a killed run left is removed by the next
// one), and the copies are flushed to disk once at the end. In
// packing mode the entries go to the packer's list file and the packer is started through the
// launcher.
BackupOutcome RunBackupSteps(TBackupOptions& options, const std::vector<std::string>& entries,
                             const BackupServices& services, const std::string& programDir,
                             const std::string& tempDir, IProgramLauncher& launcher);
// RunBackupSteps' result alone.
BackupResult RunBackup(TBackupOptions& options, const std::vector<std::string>& entries,
                       const BackupServices& services, const std::string& programDir,
                       const std::string& tempDir, IProgramLauncher& launcher);
