#pragma once

#include "print/FolderPages.h"

#include <optional>
#include <vector>

// The chosen categories with their form templates, titles and the values the user's open
// tables hold; a category whose table is not open prints empty. Nothing when an open table
// cannot be read: a folder of blank forms must not pass for the user's data.
std::optional<std::vector<FolderCategory>> ReadFolderCategories(const std::vector<int>& categories);
