#include "deadlines/Deadlines.h"
#include "deadlines/CalendarExport.h"
#include "store/ContractFields.h"

#include "platform/Profile.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using Values = std::map<int, std::map<int, std::string>>;

// A household's forms: cards with holder, bank, number and secret number; devices; the car;
// free fields with and without a deadline title.
Values Household() {
    return {
        {3,
         {{106, "4111111111111111"},
          {107, "Max Muster"},
          {108, "05/27"},
          {109, "4711"},
          {118, "5500000000000004"},
          {119, "Anna Beispiel"},
          {120, "12.26"},
          {121, "0815"},
          {135, "Sparkasse"},
          {102, "geheim123"},
          {124, "bald"}}},
        {5,
         {{102, "SN-778899"},
          {103, "31.01.2027"},
          {121, "Waschmaschine"},
          {124, "WM-4455"},
          {125, "1.5.28"},
          {130, " "}}},
        {6,
         {{100, "Personalausweis gültig bis"},
          {101, "Dez. 2026"},
          {102, "Lieblingsfarbe"},
          {103, "12/2026"},
          {104, "PIN bis"},
          {105, "1234"},
          {106, "Reisepass bis:"},
          {107, "31.02.2027"},
          {108, "Führerschein gültig bis"},
          {109, "Ende 2026"}}},
        {10, {{103, "Golf"}, {141, "FZB-123"}, {142, "11/26"}, {143, "2026-11-20"}}},
    };
}

std::vector<Deadline> Scan(const Values& values, bool labelsOnly) {
    return FindDeadlines(
        [&](int category) {
            const auto it = values.find(category);
            return it == values.end() ? nullptr : &it->second;
        },
        labelsOnly);
}

struct Expected {
    int category;
    int id;
    const char* date; // DateText
    const char* what;
    const char* title; // a calendar's
};

TEST(DeadlinesTest, EveryDateFieldFoundSoonestFirstDescribedByLabelsNeverByNumbers) {
    const Values values = Household();
    const Expected expected[] = {
        {10, 143, "20.11.2026", "ASU", "ASU fällig: Golf"},
        {10, 142, "30.11.2026", "TÜV", "TÜV fällig: Golf"},
        {3, 120, "31.12.2026", "Kreditkarten: 2. Karte, Bank Sparkasse, Inhaber Anna Beispiel",
         "Kreditkarte Sparkasse läuft ab"},
        {6, 101, "31.12.2026", "Personalausweis gültig bis", "Personalausweis läuft ab"},
        {6, 109, "31.12.2026 (Ende 2026)", "Führerschein gültig bis", "Führerschein läuft ab"},
        {5, 103, "31.01.2027", "Garantie: Fernseher", "Garantie endet: Fernseher"},
        {3, 108, "31.05.2027", "Scheckkarten: 1. Karte, Inhaber Max Muster",
         "Scheckkarte läuft ab"},
        {5, 125, "01.05.2028", "Garantie: Waschmaschine", "Garantie endet: Waschmaschine"},
        // Unreadable last, in form order, as typed.
        {3, 124, "bald", "Kreditkarten: 3. Karte", "Kreditkarte läuft ab"},
        {6, 107, "31.02.2027", "Reisepass bis", "Reisepass läuft ab"},
    };
    const std::vector<Deadline> found = Scan(values, false);
    ASSERT_EQ(found.size(), std::size(expected));
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].category, expected[i].category) << i;
        EXPECT_EQ(found[i].id, expected[i].id) << i;
        EXPECT_EQ(DateText(found[i]), expected[i].date) << i;
        EXPECT_EQ(found[i].what, expected[i].what) << i;
        EXPECT_EQ(found[i].title, expected[i].title) << i;
    }
    // Labels only: no name the user typed, the free field's own title stays.
    const std::vector<Deadline> labels = Scan(values, true);
    ASSERT_EQ(labels.size(), found.size());
    EXPECT_EQ(labels[2].what, "Kreditkarten: 2. Karte");
    EXPECT_EQ(labels[7].what, "Garantie: 2. Gerät");
    EXPECT_EQ(labels[2].title, "Kreditkarte läuft ab");
    EXPECT_EQ(labels[0].title, "ASU fällig: Fahrzeug");
    // No secret, number or other field's value anywhere in either list.
    for (const auto* list : {&found, &labels}) {
        for (const Deadline& d : *list) {
            for (const char* value : {"4111", "4711", "0815", "5500", "geheim123", "SN-778899",
                                      "WM-4455", "FZB-123", "1234", "Lieblingsfarbe"}) {
                EXPECT_EQ(d.what.find(value), std::string::npos) << d.what;
                EXPECT_EQ(d.title.find(value), std::string::npos) << d.title;
                EXPECT_EQ(d.typed.find(value), std::string::npos) << d.typed;
            }
        }
    }
}

TEST(DeadlinesTest, DaysLeftAndStateAroundTheLeadTime) {
    const CalendarDate today{2026, 12, 9};
    struct Case {
        CalendarDate date;
        int lead;
        const char* text;
        DeadlineState state;
    };
    const Case cases[] = {
        {{2026, 11, 27}, 60, "abgelaufen seit 12 Tagen", DeadlineState::Expired},
        {{2026, 12, 8}, 60, "abgelaufen seit 1 Tag", DeadlineState::Expired},
        {{2026, 12, 9}, 60, "läuft heute ab", DeadlineState::Due},
        {{2026, 12, 10}, 60, "noch 1 Tag", DeadlineState::Due},
        {{2027, 1, 18}, 60, "noch 40 Tage", DeadlineState::Due},
        {{2027, 2, 7}, 60, "noch 60 Tage", DeadlineState::Due},
        {{2027, 2, 8}, 60, "noch 61 Tage", DeadlineState::Later},
        {{2028, 2, 29}, 60, "noch 447 Tage", DeadlineState::Later},
        {{2027, 1, 18}, 0, "noch 40 Tage", DeadlineState::Later},
        {{2026, 11, 27}, 0, "abgelaufen seit 12 Tagen", DeadlineState::Expired},
    };
    std::vector<Deadline> all;
    for (const Case& c : cases) {
        Deadline d;
        d.date = c.date;
        EXPECT_EQ(DaysLeftText(d, today), c.text);
        EXPECT_EQ(StateOf(d, today, c.lead), c.state) << c.text;
        if (c.lead == 60)
            all.push_back(d);
    }
    EXPECT_EQ(CountDue(all, today, 60), 6);
    Deadline unreadable;
    unreadable.typed = "bald";
    EXPECT_EQ(StateOf(unreadable, today, 60), DeadlineState::Unreadable);
    EXPECT_EQ(DaysLeftText(unreadable, today), "nicht lesbar");
}

// A free field's title is read as the search reads it: case, umlauts in any spelling the
// keyboard makes (a decomposed "u" and diaeresis too), ß; a secret's title never counts.
TEST(DeadlinesTest, FreeFieldTitlesFoldLikeTheSearch) {
    const std::pair<const char*, bool> titles[] = {
        {"G\xC3\x9CLTIG BIS", true},   {"Gu\xCC\x88ltig bis", true},      {"TUV-Termin", true},
        {"PA\xC3\x9FWORT bis", false}, {"Kennwort g\xC3\xBCltig", false}, {"Biss", false}};
    for (const auto& [title, deadline] : titles) {
        const Values values = {{6, {{100, title}, {101, "1.1.2027"}}}};
        EXPECT_EQ(Scan(values, false).size(), deadline ? 1u : 0u) << title;
    }
}

TEST(DeadlinesTest, LeadTimeAndTheOverviewOncePerDayAndUser) {
    TempDir dir;
    const std::string ini = dir.file("Quillory.Ini");
    // Reading writes nothing; the key is offered once, and a value set is kept.
    EXPECT_EQ(LeadDays(ini), 60);
    EXPECT_EQ(GetPrivateProfileString("OPTIONS", "FRISTVORLAUF", "", ini), "");
    OfferLeadTimeKey(ini);
    EXPECT_EQ(GetPrivateProfileString("OPTIONS", "FRISTVORLAUF", "", ini), "60");
    WritePrivateProfileString("OPTIONS", "FRISTVORLAUF", "30", ini);
    OfferLeadTimeKey(ini);
    EXPECT_EQ(LeadDays(ini), 30);
    for (const auto& [typed, days] : std::vector<std::pair<std::string, int>>{
             {"0", 0}, {"14", 14}, {"-5", 60}, {"bald", 60}, {"99999", 3660}}) {
        WritePrivateProfileString("OPTIONS", "FRISTVORLAUF", typed, ini);
        EXPECT_EQ(LeadDays(ini), days) << typed;
    }
    const CalendarDate day{2026, 12, 9};
    EXPECT_TRUE(TakeDailyOverview(ini, "anna.qlr", day));
    EXPECT_FALSE(TakeDailyOverview(ini, "anna.qlr", day));
    EXPECT_TRUE(TakeDailyOverview(ini, "max.qlr", day));
    EXPECT_TRUE(TakeDailyOverview(ini, "anna.qlr", {2026, 12, 10}));
}

} // namespace

// Contracts come in as "Kündigen bis" rows among the other dates; one cancellable any day has
// no row, one whose terms cannot be read is unreadable; a protected user's rows and calendar
// name the contract's number, never its provider; the calendar's event is titled
// "Kündigungsfrist: <Anbieter> (<Art>)" and carries the reminder.
TEST(DeadlinesTest, ContractsLastDaysToCancelAmongTheDates) {
    Values values = Household();
    auto& contracts = values[kContractCategory];
    auto set = [&](int c, ContractPart part, const char* text) {
        contracts[ContractFieldId(c, part)] = text;
    };
    set(0, ContractPart::Kind, "Versicherung");
    set(0, ContractPart::Provider, "Hausrat AG");
    set(0, ContractPart::Begin, "01.01.2020");
    set(1, ContractPart::Kind, "Streaming");
    set(1, ContractPart::Provider, "Filmkiste");
    set(1, ContractPart::Begin, "01.05.2023"); // new law, no minimum: any day
    set(2, ContractPart::Provider, "Zeitung");
    set(2, ContractPart::Begin, "01.01.2024");
    set(2, ContractPart::Notice, "zum Quartal");
    set(3, ContractPart::Provider, "Ohne Beginn");
    const auto scan = [&](bool labelsOnly, std::optional<CalendarDate> on) {
        return FindDeadlines(
            [&](int category) {
                const auto it = values.find(category);
                return it == values.end() ? nullptr : &it->second;
            },
            labelsOnly, on);
    };
    EXPECT_EQ(scan(false, std::nullopt).size(), 10u) << "without a day, no contract";
    const std::vector<Deadline> found = scan(false, CalendarDate{2026, 12, 10});
    ASSERT_EQ(found.size(), 12u);
    const auto row = [&](const std::string& what) {
        return std::find_if(found.begin(), found.end(),
                            [&](const Deadline& d) { return d.what == what; });
    };
    const auto insurance = row("K\xC3\xBCndigen bis: Hausrat AG (Versicherung)");
    ASSERT_NE(insurance, found.end());
    EXPECT_EQ(DateText(*insurance), "30.09.2027");
    EXPECT_EQ(insurance - found.begin(), 7) << "between the dates of 2027 and 2028";
    EXPECT_EQ(insurance->id, ContractFieldId(0, ContractPart::Provider));
    const auto paper = row("K\xC3\xBCndigen bis: Zeitung");
    ASSERT_NE(paper, found.end());
    EXPECT_EQ(DateText(*paper), "zum Quartal");
    EXPECT_EQ(StateOf(*paper, {2026, 12, 10}, 60), DeadlineState::Unreadable);

    const std::vector<Deadline> labels = scan(true, CalendarDate{2026, 12, 10});
    EXPECT_NE(std::find_if(labels.begin(), labels.end(),
                           [](const Deadline& d) {
                               return d.what == "K\xC3\xBCndigen bis: Vertrag 1 (Versicherung)";
                           }),
              labels.end());
    const std::string calendar =
        DeadlineCalendar(labels, "anna", 60, 0) + DeadlineCalendar(found, "anna", 60, 0);
    EXPECT_NE(calendar.find("SUMMARY:K\xC3\xBCndigungsfrist: Hausrat AG (Versicherung)"),
              std::string::npos);
    EXPECT_NE(calendar.find("SUMMARY:K\xC3\xBCndigungsfrist: Vertrag 1 (Versicherung)"),
              std::string::npos);
    EXPECT_EQ(CountDue(found, {2027, 8, 1}, 60),
              1 + CountDue(scan(false, std::nullopt), {2027, 8, 1}, 60));
}
