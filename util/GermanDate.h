#pragma once

#include <optional>
#include <string_view>

// A calendar day without time or zone.
struct CalendarDate {
    int year;
    int month;
    int day;
    auto operator<=>(const CalendarDate&) const = default;
};

// Reads a date as German users type it into expiry and warranty fields: "12/27", "12/2027",
// "12.27", "12.2027", "31.12.2027", "31.12.27", "1.5.28", "Dez. 2027", "Dezember 2027",
// "2027-12-31", with blanks anywhere. A month without a day means its last day; two-digit years
// are 20xx. Anything else, including a day that does not exist, gives nullopt ("nicht lesbar").
std::optional<CalendarDate> ParseGermanDate(std::string_view text);

// Today in the local time zone.
CalendarDate Today();

// Days in the given month, leap years counted; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
