#pragma once

#include "print/FolderPages.h"

#include <QString>

#include <vector>

// The sheets of an emergency access as pages: one A4 page per sheet with whom it is for, the
// date, what it opens, its code as a QR code and as groups to type, and what to do with it.
// Pure layout, like the folder's pages.

struct RecoverySheetFacts {
    QString userName; // whose document the sheets open
    QString date;     // "10.12.2026"
    int threshold = 1;
    int count = 1;
};

struct RecoverySheet {
    int number = 1;
    QString name; // whom it is for
    QString code; // "ABCDE7-FGHJK2-…"
};

std::vector<FolderPage> BuildRecoverySheets(const RecoverySheetFacts& facts,
                                            const std::vector<RecoverySheet>& sheets,
                                            const TextWidth& measure);
