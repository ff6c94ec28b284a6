#pragma once

#include <optional>
#include <string>
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
// Also what people write when they know no day: "Anfang 2027" (1 January), "Mitte 2027"
// (30 June), "Ende 2026" (31 December), the same before a month ("Mitte Mai 2027": the 15th),
// a season ("Frühjahr 2027": the day it begins, to be early rather than late), a bare year
// ("2027": its last day).
std::optional<CalendarDate> ParseGermanDate(std::string_view text);

struct DateReading {
    CalendarDate date;
    std::string reason; // how a text without a day was read ("Ende 2026"); empty otherwise
};

// The date with the reason to show beside it where the text named no day by itself.
std::optional<DateReading> ReadGermanDate(std::string_view text);

// Today in the local time zone.
CalendarDate Today();

// Days in the given month, leap years counted; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
