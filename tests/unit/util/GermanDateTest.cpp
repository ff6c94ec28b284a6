#include "util/GermanDate.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {

struct Case {
    std::string_view text;
    std::optional<CalendarDate> expected;
};

constexpr CalendarDate D(int y, int m, int d) {
    return {y, m, d};
}

TEST(GermanDateTest, WhatUsersTypeGivesTheDayOrNichtLesbar) {
    const std::optional<CalendarDate> unreadable;
    const Case cases[] = {
        // A month alone is its last day, February by leap year; two-digit years are 20xx.
        {"12/27", D(2027, 12, 31)},
        {"12/2027", D(2027, 12, 31)},
        {"12.27", D(2027, 12, 31)},
        {"12.2027", D(2027, 12, 31)},
        {"05/27", D(2027, 5, 31)},
        {"4/27", D(2027, 4, 30)},
        {"02/27", D(2027, 2, 28)},
        {"02/28", D(2028, 2, 29)},
        {"02/2100", D(2100, 2, 28)},
        {"02/2000", D(2000, 2, 29)},
        {"31.12.2027", D(2027, 12, 31)},
        {"31.12.27", D(2027, 12, 31)},
        {"1.5.28", D(2028, 5, 1)},
        {"29.02.2028", D(2028, 2, 29)},
        {"Dez. 2027", D(2027, 12, 31)},
        {"Dezember 2027", D(2027, 12, 31)},
        {"dez 27", D(2027, 12, 31)},
        {"M\xC3\xA4rz 2028", D(2028, 3, 31)},
        {"Sept. 2027", D(2027, 9, 30)},
        {"3. Oktober 2027", D(2027, 10, 3)},
        {"2027-12-31", D(2027, 12, 31)},
        {"2028-02", D(2028, 2, 29)},
        // Blanks anywhere, a no-break space among them.
        {" 1 2 / 2 7 ", D(2027, 12, 31)},
        {"31 . 12 .\t2027", D(2027, 12, 31)},
        {"Dez.\xC2\xA0"
         "2027",
         D(2027, 12, 31)},
        // What people write when they know no day.
        {"Ende 2026", D(2026, 12, 31)},
        {"ende 26", D(2026, 12, 31)},
        {"Anfang 2027", D(2027, 1, 1)},
        {"Mitte 2027", D(2027, 6, 30)},
        {"Mitte Mai 2027", D(2027, 5, 15)},
        {"Anfang Dez. 2027", D(2027, 12, 1)},
        {"Ende 02/2028", D(2028, 2, 29)},
        {"Fr\xC3\xBChjahr 2027", D(2027, 3, 1)},
        {"Herbst 2027", D(2027, 9, 1)},
        {"2027", D(2027, 12, 31)},
        {"Ende", unreadable},
        {"Ende 31.12.2026", unreadable},
        {"Sommer", unreadable},
        {"Mitte Mai", unreadable},
        {"Ende 2026 oder so", unreadable},
        {"027", unreadable},
        {"20271", unreadable},
        // Days that do not exist and text that is no date.
        {"31.02.2027", unreadable},
        {"29.02.2027", unreadable},
        {"31.04.2027", unreadable},
        {"00.12.2027", unreadable},
        {"13/27", unreadable},
        {"0/27", unreadable},
        {"2027-02-30", unreadable},
        {"2027-13-01", unreadable},
        {"12/7", unreadable},
        {"12/207", unreadable},
        {"12/20277", unreadable},
        {"31.12.027", unreadable},
        {"31/12/2027", unreadable},
        {"123.12.2027", unreadable},
        {"Dezemb 2027", unreadable},
        {"Dez", unreadable},
        {"12/27 ok", unreadable},
        {"bald", unreadable},
        {"-", unreadable},
        {"", unreadable},
        {"   ", unreadable},
    };
    for (const Case& c : cases) {
        const std::optional<CalendarDate> got = ParseGermanDate(c.text);
        EXPECT_EQ(got, c.expected)
            << '"' << c.text << "\" gave "
            << (got ? std::to_string(got->year) + '-' + std::to_string(got->month) + '-' +
                          std::to_string(got->day)
                    : std::string("nicht lesbar"));
    }
}

// Where the text names no day, the reason for the day read stands beside it.
TEST(GermanDateTest, AReadingWithoutADaySaysWhy) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"Ende 2026", "Ende 2026"},
        {"anfang 2027", "Anfang 2027"},
        {"Mitte M\xC3\xA4rz 2027", "Mitte M\xC3\xA4rz 2027"},
        {"Fr\xC3\xBChjahr 2027", "Fr\xC3\xBChjahr 2027, Beginn angenommen"},
        {"2027", "2027, Jahresende angenommen"},
        {"12/27", ""},
        {"31.12.2027", ""},
    };
    for (const auto& [text, reason] : cases) {
        const auto reading = ReadGermanDate(text);
        ASSERT_TRUE(reading.has_value()) << text;
        EXPECT_EQ(reading->reason, reason) << text;
    }
}

} // namespace
