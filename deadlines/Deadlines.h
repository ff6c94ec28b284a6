#pragma once

#include "util/GermanDate.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The dates a user's forms hold: the cards' "Gültig bis:", the devices' "Garantie bis:", the
// car's "TÜV bis:" and "ASU bis:", and free fields whose own title names a deadline. Each is
// described by the form's labels (and, unless labelsOnly, names the user typed beside it: the
// card holder, the bank, the device); never by a number, PIN or password field.

struct Deadline {
    int category = 0;
    int id = 0;
    std::string typed;                // the field's text as typed
    std::optional<CalendarDate> date; // nullopt: "nicht lesbar"
    std::string form;                 // the form's title
    std::string what;                 // "Kreditkarten: 2. Karte, Inhaber Anna Beispiel"
    std::string title;                // what happens: "Kreditkarte Sparkasse läuft ab"
    std::string reason;               // how a date without a day was read: "Ende 2026"
};

// The title of the deadline's calendar event: what happens ("Reisepass läuft ab"), for a
// contract "Kündigungsfrist: <Anbieter> (<Art>)", else "<form>: <what>".
std::string CalendarTitle(const Deadline& deadline);

// The text of every field of a category by id; nullptr when the category cannot be read.
using CategoryValues = std::function<const std::map<int, std::string>*(int category)>;

// Every filled date field, soonest first; unreadable ones at the end in form order. Given
// contractsOn, also the last day to cancel each contract of the form "Verträge" whose begin is
// filled in, as it stands on that day ("Kündigen bis: Anbieter (Art)"); a contract that can be
// cancelled any day has none, one whose terms cannot be read is unreadable.
std::vector<Deadline> FindDeadlines(const CategoryValues& values, bool labelsOnly,
                                    const std::optional<CalendarDate>& contractsOn = {});

enum class DeadlineState { Expired, Due, Later, Unreadable };

// Days from today to the date (negative once it has passed).
int DaysUntil(const CalendarDate& date, const CalendarDate& today);
// Expired after its day; due within leadDays of it (0: never due, only expired or later).
DeadlineState StateOf(const Deadline& deadline, const CalendarDate& today, int leadDays);
// The row's mark in words, so it shows without colour: "Abgelaufen", "Bald fällig",
// "Nicht lesbar", or empty for a date further off.
const char* StateMark(DeadlineState state);
// "abgelaufen seit 12 Tagen", "läuft heute ab", "noch 1 Tag", "nicht lesbar".
std::string DaysLeftText(const Deadline& deadline, const CalendarDate& today);
// "31.12.2027", "31.12.2026 (Ende 2026)" for a text without a day, or the text as typed when
// unreadable.
std::string DateText(const Deadline& deadline);
// How many are expired or due.
int CountDue(const std::vector<Deadline>& deadlines, const CalendarDate& today, int leadDays);

// The lead time in days from the settings file, [OPTIONS] FRISTVORLAUF; the default for a
// missing or empty key. Only reads. 0 switches reminders off.
inline constexpr const char* kLeadTimeKey = "FRISTVORLAUF";
inline constexpr int kDefaultLeadDays = 60;
int LeadDays(const std::string& settingsFile);
// Writes the default lead time where the key is missing or empty, so users find it.
void OfferLeadTimeKey(const std::string& settingsFile);

// A short stable tag of a text (hex of a 64-bit FNV-1a hash): keys and UIDs without names.
std::string StableTag(const std::string& text);

// Whether the overview is to open at this login: not yet today for this user. True marks the
// day in the settings file ([FRISTEN], one key per user tag), so it opens once per day.
bool TakeDailyOverview(const std::string& settingsFile, const std::string& user,
                       const CalendarDate& today);
