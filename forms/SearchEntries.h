#pragma once

#include "search/SearchIndex.h"

#include <optional>
#include <vector>

// Every field of the nine forms as the search sees it: the form's category, the field's label
// as the screen reader hears it on the form, the value the user's open tables hold, and whether
// it is a secret. Nothing when an open table cannot be read.
std::optional<std::vector<SearchEntry>> CollectSearchEntries();
