#pragma once

#include "print/FolderPages.h"

class BankDirectory;

#include <map>
#include <optional>
#include <vector>

// The chosen categories with their form templates, titles and the values the user's open
// tables hold; a category whose table is not open prints empty. Nothing when an open table
// cannot be read: a folder of blank forms must not pass for the user's data.
std::optional<std::vector<FolderCategory>> ReadFolderCategories(const std::vector<int>& categories);

// For each account number of the category that passes its bank's check with its bank code, the
// line "IBAN (abgeleitet): ..." printed under it. Marked as derived: the bank never said it,
// and a few banks derive theirs by rules of their own.
std::map<int, QString> DerivedIbanNotes(int category, const std::map<int, QString>& values,
                                        const BankDirectory& banks);

// The notes printed under the category's checked fields: the derived IBANs, and for a number
// that fails its check the warning the form shows beside it, marked as on screen ("⚠ ...").
// Dates are left to the page "Fristen".
std::map<int, QString> FieldNotes(int category, const std::map<int, QString>& values,
                                  const BankDirectory& banks);
