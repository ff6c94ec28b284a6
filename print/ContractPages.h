#pragma once

#include "print/FolderPages.h"
#include "util/GermanDate.h"

#include <map>
#include <vector>

// The emergency folder's page "Verträge und Versicherungen": the contracts to be cancelled on
// the holder's death first, the others after them in the form's order, each with its terms and
// its last day to cancel on `today`; then the Vorsorge block. Empty contracts are left out.
std::vector<FolderBlock> ContractBlocks(const std::map<int, QString>& values,
                                        const CalendarDate& today);

inline const QString kContractPageTitle = QStringLiteral("Vertr\u00E4ge und Versicherungen");
