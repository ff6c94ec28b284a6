#include "util/ContractTerms.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr CalendarDate D(int y, int m, int d) {
    return {y, m, d};
}

using Kind = CancelDate::Kind;

struct Case {
    ContractTerms terms; // kind, begin, minimum term, renewal, notice
    CalendarDate today;
    Kind kind;
    CalendarDate lastDay; // Deadline: the last day; AnyTime: today
    CalendarDate endsOn;
    const char* reason; // a part the reason line must hold
};

TEST(ContractTermsTest, TheLastDayToCancelFollowsTheLawOfTheContract) {
    const Case cases[] = {
        // The day of the change in law: from 1.3.2022 one month before the minimum term's end
        // (29.2.2024, a leap day), the day before it three months.
        {{"Strom", "01.03.2022", "24", "", ""},
         D(2023, 6, 1),
         Kind::Deadline,
         D(2024, 1, 31),
         D(2024, 2, 29),
         "Vertrag ab 1.3.2022: 1 Monat vor Ende der Mindestlaufzeit am 29.02.2024"},
        {{"Strom", "28.02.2022", "24", "", ""},
         D(2023, 6, 1),
         Kind::Deadline,
         D(2023, 11, 27),
         D(2024, 2, 27),
         "Vertrag vor dem 1.3.2022"},
        // After the minimum term a new contract runs on, cancellable any day with a month.
        {{"Strom", "01.03.2022", "24", "", ""},
         D(2024, 2, 1),
         Kind::AnyTime,
         D(2024, 2, 1),
         D(2024, 3, 1),
         "Vertrag ab 1.3.2022: nach der Mindestlaufzeit monatlich k\xC3\xBCndbar"},
        // 31 January + one month ends on February's last day, in common and leap years.
        {{"Sonstiges", "31.01.2023", "1", "", ""},
         D(2023, 1, 31),
         Kind::Deadline,
         D(2023, 1, 31),
         D(2023, 2, 28),
         "Mindestlaufzeit"},
        {{"", "31.01.2024", "1 Monat", "", ""},
         D(2024, 1, 2),
         Kind::Deadline,
         D(2024, 1, 31),
         D(2024, 2, 29),
         "Mindestlaufzeit"},
        // Begun on a leap day: a year later is 28 February; a shorter typed notice wins.
        {{"Streaming", "29.02.2024", "12", "", "2 Wochen"},
         D(2024, 6, 1),
         Kind::Deadline,
         D(2025, 2, 14),
         D(2025, 2, 28),
         "vereinbarte Frist 2 Wochen"},
        // A longer typed notice is capped by the law.
        {{"Gas", "28.02.2022", "24 Monate", "", "6 Monate"},
         D(2023, 6, 1),
         Kind::Deadline,
         D(2023, 11, 27),
         D(2024, 2, 27),
         "vereinbarte Frist 6 Monate gesetzlich auf 3 Monate"},
        {{"Fitness", "15.01.2020", "36", "", ""},
         D(2021, 6, 1),
         Kind::Deadline,
         D(2021, 10, 14),
         D(2022, 1, 14),
         "Mindestlaufzeit auf 24 Monate begrenzt"},
        // An older contract renews by a year at most, notice three months before each end.
        {{"Fitness", "15.01.2020", "24", "", ""},
         D(2026, 12, 10),
         Kind::Deadline,
         D(2027, 10, 14),
         D(2028, 1, 14),
         "verl\xC3\xA4ngert sich sonst um 12 Monate"},
        {{"Zeitschrift/Abo", "01.10.2021", "", "viertelj\xC3\xA4hrlich", "4 Wochen"},
         D(2026, 12, 10),
         Kind::Deadline,
         D(2027, 3, 3),
         D(2027, 3, 31),
         "Laufzeit"},
        {{"Fitness", "15.01.2020", "24", "24", ""},
         D(2022, 6, 1),
         Kind::Deadline,
         D(2022, 10, 14),
         D(2023, 1, 14),
         "Verl\xC3\xA4ngerung auf 12 Monate begrenzt"},
        // Telecommunication: one month any day once the term is over, from 1.12.2021 on.
        {{"Mobilfunk", "10.05.2019", "24", "", ""},
         D(2021, 11, 30),
         Kind::Deadline,
         D(2022, 2, 9),
         D(2022, 5, 9),
         "Telekommunikation vor dem 1.12.2021"},
        {{"Mobilfunk", "10.05.2019", "24", "", ""},
         D(2021, 12, 1),
         Kind::AnyTime,
         D(2021, 12, 1),
         D(2022, 1, 1),
         "(TKG \xC2\xA7 56): nach der Mindestlaufzeit monatlich"},
        {{"Internet/Telefon", "15.03.2025", "24", "", "3 Monate"},
         D(2026, 12, 10),
         Kind::Deadline,
         D(2027, 2, 14),
         D(2027, 3, 14),
         "auf 1 Monat begrenzt"},
        // Insurance: yearly, three months before the insurance year's end; over three years
        // cancellable at the end of the third.
        {{"Versicherung", "01.01.2020", "", "", ""},
         D(2026, 12, 10),
         Kind::Deadline,
         D(2027, 9, 30),
         D(2027, 12, 31),
         "Versicherung: 3 Monate vor Ende des Versicherungsjahres"},
        {{"Versicherung", "01.04.2024", "5 Jahre", "", ""},
         D(2026, 12, 10),
         Kind::Deadline,
         D(2026, 12, 31),
         D(2027, 3, 31),
         "Mindestlaufzeit auf 36 Monate begrenzt"},
        {{"Versicherung", "01.01.2020", "", "monatlich", "1 Monat"},
         D(2026, 12, 10),
         Kind::Deadline,
         D(2026, 12, 31),
         D(2027, 1, 31),
         "vereinbarte Frist 1 Monat"},
        // Rent: by the third working day (no Saturday, no holiday) to the month after next's end.
        {{"Miete", "01.05.2015", "", "", ""},
         D(2026, 12, 10),
         Kind::Deadline,
         D(2027, 1, 6),
         D(2027, 3, 31),
         "Miete: 3 Monate"},
        {{"Miete", "01.05.2015", "", "", ""},
         D(2026, 4, 2),
         Kind::Deadline,
         D(2026, 4, 7),
         D(2026, 6, 30),
         "3. Werktag"},
        {{"Miete", "01.05.2025", "24", "", ""},
         D(2026, 4, 2),
         Kind::Deadline,
         D(2027, 2, 3),
         D(2027, 4, 30),
         "Miete"},
        // A month alone as begin counts from its first day, never its last.
        {{"Streaming", "01/2023", "12", "", ""},
         D(2023, 5, 1),
         Kind::Deadline,
         D(2023, 11, 30),
         D(2023, 12, 31),
         "Beginn ab Monatsanfang gerechnet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.terms.kind + " " + c.terms.begin + " " + c.terms.minimumTerm);
        const CancelDate got = ComputeCancelDate(c.terms, c.today);
        EXPECT_EQ(got.kind, c.kind) << got.reason;
        EXPECT_EQ(got.lastDay, c.lastDay) << CancelDateText(got) << " / " << got.reason;
        EXPECT_EQ(got.endsOn, c.endsOn) << CancelDateText(got);
        EXPECT_NE(got.reason.find(c.reason), std::string::npos) << got.reason;
    }
}

TEST(ContractTermsTest, UnreadableTermsAreNotComputedButShownAsTyped) {
    const ContractTerms cases[] = {
        {"Strom", "irgendwann", "24", "", ""},
        {"Strom", "", "24", "", ""},
        {"Strom", "01.03.2022", "zwei Jahre lang", "", ""},
        {"Strom", "01.03.2022", "24", "bis auf Weiteres", ""},
        {"Strom", "01.03.2022", "24", "", "3 Monate zum Quartal"},
        {"Bausparvertrag", "01.03.2022", "24", "", ""},
    };
    for (const ContractTerms& terms : cases) {
        const CancelDate got = ComputeCancelDate(terms, D(2026, 12, 10));
        EXPECT_EQ(got.kind, Kind::NotComputable) << CancelDateText(got);
        EXPECT_EQ(CancelDateText(got).rfind("nicht berechenbar: ", 0), 0u);
        EXPECT_NE(CancelDateText(got).find(got.typed), std::string::npos);
    }
    EXPECT_EQ(CancelDateText(ComputeCancelDate(cases[4], D(2026, 12, 10))),
              "nicht berechenbar: K\xC3\xBCndigungsfrist 3 Monate zum Quartal");
}

} // namespace
