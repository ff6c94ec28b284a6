#pragma once

#include "backup/CopyEngine.h"

#include <string>
#include <vector>

// What a backup run did, told in the dialog and in one desktop notification: how many files went
// where, or that nothing was copied and why. Pure text, free of widgets.
struct BackupSummary {
    BackupResult result = BackupResult::NothingToDo;
    size_t files = 0;        // files copied (packed) by the run
    std::string destination; // the target directory, or the archive in packing mode
    bool packing = false;
    bool onlySelected = false; // only the list's selected files were to be backed up
    std::string lastStatus;    // the run's last status text: why it stopped
    // With "Unterverz. anlegen" a copy lies under its source's full path below the target:
    // where the first one went, to say so.
    std::string firstCopy;
};

struct BackupNotice {
    std::string summary;
    std::string body;
};

BackupNotice DescribeBackup(const BackupSummary& outcome);
// The notice as one text for the dialog: "<summary>: <body>".
std::string NoticeLine(const BackupNotice& notice);

// The entries a run announced in its status line ("Kopiere Datei <entry> nach ..."), each once,
// in list order.
std::vector<std::string> AnnouncedEntries(const std::vector<std::string>& entries,
                                          const std::vector<std::string>& statusTexts);
