#include "util/GermanDate.h"

#include <array>
#include <cstddef>
#include <ctime>
#include <string>

namespace {

// The text without blanks (space, tab, no-break space), ASCII letters in lower case.
std::string Compact(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t')
            continue;
        if (c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') {
            ++i;
            continue;
        }
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

// Reads 1..maxDigits digits at pos; -1 when there are none or too many.
int TakeNumber(std::string_view s, size_t& pos, size_t maxDigits, size_t* digits = nullptr) {
    size_t n = 0;
    int value = 0;
    while (pos + n < s.size() && s[pos + n] >= '0' && s[pos + n] <= '9') {
        if (n == maxDigits)
            return -1;
        value = value * 10 + (s[pos + n] - '0');
        ++n;
    }
    if (n == 0)
        return -1;
    pos += n;
    if (digits)
        *digits = n;
    return value;
}

// A year of two or four digits filling the rest of s; two digits are 20xx.
int TakeYear(std::string_view s, size_t pos) {
    size_t digits = 0;
    const int year = TakeNumber(s, pos, 4, &digits);
    if (year < 0 || pos != s.size() || (digits != 2 && digits != 4))
        return -1;
    return digits == 2 ? 2000 + year : year;
}

std::optional<CalendarDate> Make(int year, int month, int day) {
    if (year < 1 || DaysInMonth(year, month) == 0)
        return std::nullopt;
    if (day == 0)
        day = DaysInMonth(year, month);
    if (day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    return CalendarDate{year, month, day};
}

struct MonthName {
    std::string_view name;
    int month;
};

// Full names and the usual abbreviations, lower case; "ä" as UTF-8 (also upper case).
constexpr MonthName kMonthNames[] = {
    {"januar", 1},      {"jan", 1},      {"februar", 2},    {"feb", 2},       {"m\xC3\xA4rz", 3},
    {"m\xC3\x84rz", 3}, {"maerz", 3},    {"m\xC3\xA4r", 3}, {"mrz", 3},       {"april", 4},
    {"apr", 4},         {"mai", 5},      {"juni", 6},       {"jun", 6},       {"juli", 7},
    {"jul", 7},         {"august", 8},   {"aug", 8},        {"september", 9}, {"sept", 9},
    {"sep", 9},         {"oktober", 10}, {"okt", 10},       {"november", 11}, {"nov", 11},
    {"dezember", 12},   {"dez", 12},
};

// The month named at pos (followed by an optional dot); 0 when no name matches exactly.
int TakeMonthName(std::string_view s, size_t& pos) {
    size_t end = pos;
    while (end < s.size() && (s[end] < '0' || s[end] > '9') && s[end] != '.')
        ++end;
    const std::string_view word = s.substr(pos, end - pos);
    int month = 0;
    for (const MonthName& m : kMonthNames)
        if (m.name == word)
            month = m.month;
    if (month == 0)
        return 0;
    pos = end;
    if (pos < s.size() && s[pos] == '.')
        ++pos;
    return month;
}

// "2027-12-31" or "2027-12".
std::optional<CalendarDate> ParseIso(std::string_view s) {
    size_t pos = 0, digits = 0;
    const int year = TakeNumber(s, pos, 4, &digits);
    if (digits != 4 || pos >= s.size() || s[pos] != '-')
        return std::nullopt;
    ++pos;
    const int month = TakeNumber(s, pos, 2);
    if (month < 0)
        return std::nullopt;
    if (pos == s.size())
        return Make(year, month, 0);
    if (s[pos] != '-')
        return std::nullopt;
    ++pos;
    const int day = TakeNumber(s, pos, 2);
    if (day < 1 || pos != s.size())
        return std::nullopt;
    return Make(year, month, day);
}

// "MM/YY", "MM.YYYY", "D.M.YY", "31.12.2027", "Dez.2027", "31.Dezember2027".
std::optional<CalendarDate> ParseGerman(std::string_view s) {
    size_t pos = 0;
    int first = TakeNumber(s, pos, 2);
    if (first >= 0) {
        if (pos >= s.size() || (s[pos] != '.' && s[pos] != '/'))
            return std::nullopt;
        const char separator = s[pos++];
        size_t afterSep = pos;
        int second = TakeNumber(s, pos, 4);
        if (second >= 0 && pos == s.size())
            return Make(TakeYear(s, afterSep), first, 0); // month and year
        if (separator != '.')
            return std::nullopt;
        if (second < 0) {
            const int month = TakeMonthName(s, pos);
            return month == 0 || first < 1 ? std::nullopt : Make(TakeYear(s, pos), month, first);
        }
        if (pos - afterSep > 2 || pos >= s.size() || s[pos] != '.' || first < 1)
            return std::nullopt;
        return Make(TakeYear(s, pos + 1), second, first);
    }
    const int month = TakeMonthName(s, pos);
    return month == 0 ? std::nullopt : Make(TakeYear(s, pos), month, 0);
}

// "2027": a bare year of four digits means its last day.
std::optional<CalendarDate> ParseYear(std::string_view s) {
    size_t pos = 0, digits = 0;
    const int year = TakeNumber(s, pos, 4, &digits);
    if (digits != 4 || pos != s.size())
        return std::nullopt;
    return Make(year, 12, 0);
}

struct Period {
    std::string_view word; // lower case, as Compact leaves it
    const char* shown;
    int month;    // the season's first month, 0 for a part of a year or month
    int position; // -1 beginning, 0 middle, 1 end
};

constexpr Period kPeriods[] = {
    {"anfang", "Anfang", 0, -1},
    {"mitte", "Mitte", 0, 0},
    {"ende", "Ende", 0, 1},
    {"fr\xC3\xBChjahr", "Frühjahr", 3, -1},
    {"fr\xC3\xBChling", "Frühling", 3, -1},
    {"fruehjahr", "Frühjahr", 3, -1},
    {"sommer", "Sommer", 6, -1},
    {"herbst", "Herbst", 9, -1},
    {"winter", "Winter", 12, -1},
};

// The month's name as written, "Mai", "März".
std::string MonthShown(int month) {
    for (const MonthName& m : kMonthNames) {
        if (m.month == month) {
            std::string name(m.name);
            name[0] = static_cast<char>(name[0] - 'a' + 'A');
            return name;
        }
    }
    return {};
}

// "Ende 2026", "Mitte Mai 2027", "Ende 12/2026", "Frühjahr 2027": a period read as one day of
// it, and that reading as the reason.
std::optional<DateReading> ParsePeriod(std::string_view s) {
    for (const Period& p : kPeriods) {
        if (!s.starts_with(p.word))
            continue;
        const std::string_view rest = s.substr(p.word.size());
        const int year = TakeYear(rest, 0);
        const std::string shown(p.shown);
        if (p.month != 0) {
            const auto day = Make(year, p.month, 1);
            if (!day)
                return std::nullopt;
            return DateReading{*day, shown + " " + std::to_string(year) + ", Beginn angenommen"};
        }
        if (year > 0) {
            const auto day = Make(year,
                                  p.position < 0    ? 1
                                  : p.position == 0 ? 6
                                                    : 12,
                                  p.position < 0 ? 1 : 0);
            return day ? std::optional(DateReading{*day, shown + " " + std::to_string(year)})
                       : std::nullopt;
        }
        // Before a month without a day ("Mai 2027", "12/2026"): its first, 15th or last day.
        const bool monthOnly = !rest.empty() && (rest[0] < '0' || rest[0] > '9');
        const bool numeric = rest.find_first_of("./") == rest.find_last_of("./");
        auto day = monthOnly || numeric ? ParseGerman(rest) : std::nullopt;
        if (!day)
            return std::nullopt;
        day->day = p.position < 0 ? 1 : p.position == 0 ? 15 : day->day;
        return DateReading{*day,
                           shown + " " + MonthShown(day->month) + " " + std::to_string(day->year)};
    }
    return std::nullopt;
}

} // namespace

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return days[static_cast<size_t>(month - 1)] + (month == 2 && leap ? 1 : 0);
}

std::optional<DateReading> ReadGermanDate(std::string_view text) {
    const std::string s = Compact(text);
    if (s.empty())
        return std::nullopt;
    if (auto iso = ParseIso(s))
        return DateReading{*iso, {}};
    if (auto german = ParseGerman(s))
        return DateReading{*german, {}};
    if (auto year = ParseYear(s))
        return DateReading{*year, std::to_string(year->year) + ", Jahresende angenommen"};
    return ParsePeriod(s);
}

std::optional<CalendarDate> ParseGermanDate(std::string_view text) {
    const auto reading = ReadGermanDate(text);
    return reading ? std::optional(reading->date) : std::nullopt;
}

CalendarDate Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}
