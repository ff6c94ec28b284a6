#pragma once

#include "deadlines/Deadlines.h"

#include <optional>
#include <vector>

// The deadlines of the logged-in user's open tables; nothing when an open table cannot be read.
std::optional<std::vector<Deadline>> ReadUserDeadlines(bool labelsOnly);
