#pragma once

#include "util/GermanDate.h"

#include <optional>
#include <string>
#include <string_view>

// The last day to cancel a household's contract, from its kind, its begin and the terms typed
// into the form, by the German law that governs it. Pure: no widgets, no files, no clock.

// A span of time as contracts state it: "1 Monat", "6 Wochen", "14 Tage", "2 Jahre".
struct Period {
    enum class Unit { Days, Weeks, Months };
    Unit unit = Unit::Months;
    int count = 0;
    bool operator==(const Period&) const = default;
};

// "3 Monate", "6 Wochen", "14 Tage", "1 Jahr", "einen Monat", "jährlich", "24" (a bare number
// counts months). nullopt for anything else, the empty text included.
std::optional<Period> ParsePeriod(std::string_view text);
// "1 Monat", "3 Monate", "6 Wochen", "1 Tag".
std::string PeriodText(const Period& period);

// The form's choice of kinds, in its order.
inline constexpr const char* kContractKinds[] = {
    "Mobilfunk",       "Internet/Telefon", "Strom",   "Gas",   "Versicherung",
    "Zeitschrift/Abo", "Streaming",        "Fitness", "Miete", "Sonstiges"};

// A contract's terms as typed.
struct ContractTerms {
    std::string kind;        // one of kContractKinds; empty counts as "Sonstiges"
    std::string begin;       // the day it was concluded; a month alone means its first day
    std::string minimumTerm; // "24", "24 Monate", "2 Jahre"; empty: none
    std::string renewal;     // "12 Monate", "1 Monat", "unbefristet"; empty: the law's longest
    std::string notice;      // "1 Monat", "6 Wochen"; empty: the law's longest
};

struct CancelDate {
    enum class Kind {
        Deadline,     // notice must arrive by lastDay to end the contract on endsOn
        AnyTime,      // cancellable any day; notice arriving today ends it on endsOn
        NotComputable // a term could not be read: reason says which, typed holds the text
    };
    Kind kind = Kind::NotComputable;
    CalendarDate lastDay{};
    CalendarDate endsOn{};
    std::string reason; // the rule that applied, and where typed terms won or were capped
    std::string typed;
};

CancelDate ComputeCancelDate(const ContractTerms& terms, const CalendarDate& today);

// What the form shows as "Kündigen bis": "31.03.2027 (Ende 30.06.2027)", "jederzeit (Ende
// frühestens 10.01.2027)", or "nicht berechenbar: Kündigungsfrist 3 Monate zum Quartal".
std::string CancelDateText(const CancelDate& date);
