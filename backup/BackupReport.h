#pragma once

#include "backup/CopyEngine.h"

#include <string>
#include <vector>

// What a backup run did, told in one desktop notification: how many files went where, or that
// nothing was copied and why. Pure text, free of widgets.
struct BackupSummary {
    BackupResult result = BackupResult::NothingToDo;
    size_t files = 0;        // files copied (packed) by the run
    std::string destination; // the target directory, or the archive in packing mode
    bool packing = false;
    bool onlySelected = false; // only the list's selected files were to be backed up
    std::string lastStatus;    // the run's last status text: why it stopped
};

struct BackupNotice {
    std::string summary;
    std::string body;
};

BackupNotice DescribeBackup(const BackupSummary& outcome);

// The entries a run announced in its status line ("Kopiere Datei <entry> nach ..."), each once,
// in list order.
std::vector<std::string> AnnouncedEntries(const std::vector<std::string>& entries,
                                          const std::vector<std::string>& statusTexts);
