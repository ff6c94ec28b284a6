#pragma once

#include "deadlines/Deadlines.h"

#include <ctime>
#include <string>
#include <vector>

// An iCalendar text (RFC 5545) with one all-day event per readable deadline and a reminder
// leadDays before it (none when leadDays is 0). Each event's UID is made from the user and the
// field, so a calendar that imports a later export updates its events instead of doubling them.
// The summary is the form and the description; labelsOnly users' descriptions are their labels.
std::string DeadlineCalendar(const std::vector<Deadline>& deadlines, const std::string& user,
                             int leadDays, std::time_t stamp);

// Writes the calendar to path, replacing any file there at once and whole, readable by the user
// alone. False when it could not be written.
bool ExportDeadlineCalendar(const std::string& path, const std::vector<Deadline>& deadlines,
                            const std::string& user, int leadDays);
