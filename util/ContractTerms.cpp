#include "util/ContractTerms.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using std::chrono::sys_days;

enum class Family { Regular, Telecom, Insurance, Rent };
enum class Phase { MinimumTerm, Renewal };
// Which day decides whether a rule applies: the day the contract was concluded, or today.
enum class Basis { Concluded, Today };

constexpr Period Months(int n) {
    return {Period::Unit::Months, n};
}

struct KindRow {
    const char* kind;
    Family family;
};
constexpr KindRow kKinds[] = {
    {"Mobilfunk", Family::Telecom},
    {"Internet/Telefon", Family::Telecom},
    {"Strom", Family::Regular},
    {"Gas", Family::Regular},
    {"Versicherung", Family::Insurance},
    {"Zeitschrift/Abo", Family::Regular},
    {"Streaming", Family::Regular},
    {"Fitness", Family::Regular},
    {"Miete", Family::Rent},
    {"Sonstiges", Family::Regular},
};

struct Rule {
    Family family;
    Phase phase;
    Basis basis;
    CalendarDate from;    // applies from this day on; the latest row that applies wins
    int longestMinimum;   // months a minimum term may bind; 0: no cap
    Period longestNotice; // the notice the user owes at most
    int longestRenewal;   // months of a tacit renewal at most; 0: runs on, cancellable any day
    const char* label;    // the reason line's start
};

constexpr CalendarDate kAlways{1, 1, 1};

// clang-format off
constexpr Rule kRules[] = {
    // BGB § 309 Nr. 9 a) and c) in the version before 1.3.2022 (kept for older contracts by
    // Art. 229 § 60 EGBGB): at most two years' minimum term, notice at most three months.
    {Family::Regular, Phase::MinimumTerm, Basis::Concluded, kAlways, 24, Months(3), 12,
     "Vertrag vor dem 1.3.2022"},
    // BGB § 309 Nr. 9 b) and c) before 1.3.2022: tacit renewal by at most one year, notice at
    // most three months before the end of each term.
    {Family::Regular, Phase::Renewal, Basis::Concluded, kAlways, 24, Months(3), 12,
     "Vertrag vor dem 1.3.2022"},
    // BGB § 309 Nr. 9 c) as amended by the Gesetz für faire Verbraucherverträge, for contracts
    // concluded from 1.3.2022: notice at most one month before the end of the minimum term.
    {Family::Regular, Phase::MinimumTerm, Basis::Concluded, {2022, 3, 1}, 24, Months(1), 0,
     "Vertrag ab 1.3.2022"},
    // BGB § 309 Nr. 9 b) as amended: after the minimum term the contract runs on indefinitely
    // and may be cancelled any day with at most one month's notice.
    {Family::Regular, Phase::Renewal, Basis::Concluded, {2022, 3, 1}, 24, Months(1), 0,
     "Vertrag ab 1.3.2022"},
    // Telecommunication: the minimum term (at most 24 months, TKG § 56 Abs. 1) is cancelled
    // under BGB § 309 Nr. 9 c) as it stood when the contract was concluded.
    {Family::Telecom, Phase::MinimumTerm, Basis::Concluded, kAlways, 24, Months(3), 12,
     "Telekommunikation, Vertrag vor dem 1.3.2022"},
    {Family::Telecom, Phase::MinimumTerm, Basis::Concluded, {2022, 3, 1}, 24, Months(1), 0,
     "Telekommunikation, Vertrag ab 1.3.2022"},
    // Before 1.12.2021 a telecommunication contract renewed under BGB § 309 Nr. 9 b) old.
    {Family::Telecom, Phase::Renewal, Basis::Today, kAlways, 24, Months(3), 12,
     "Telekommunikation vor dem 1.12.2021"},
    // TKG § 56 Abs. 3, in force from 1.12.2021 for old contracts too: after the minimum term
    // cancellable any day with one month's notice.
    {Family::Telecom, Phase::Renewal, Basis::Today, {2021, 12, 1}, 24, Months(1), 0,
     "Telekommunikation (TKG \xC2\xA7 56)"},
    // VVG § 11 Abs. 4: a contract over more than three years may be cancelled at the end of
    // the third year; § 11 Abs. 3: notice at most three months.
    {Family::Insurance, Phase::MinimumTerm, Basis::Concluded, kAlways, 36, Months(3), 12,
     "Versicherung"},
    // VVG § 11 Abs. 1 and 2: renewal by at most one insurance year, cancellable to its end.
    {Family::Insurance, Phase::Renewal, Basis::Concluded, kAlways, 36, Months(3), 12,
     "Versicherung"},
    // BGB § 573c Abs. 1 and 4: the tenant's notice is three months (by the third working day
    // of a month to the end of the month after next); a longer one agreed is void.
    {Family::Rent, Phase::MinimumTerm, Basis::Concluded, kAlways, 0, Months(3), 0, "Miete"},
    {Family::Rent, Phase::Renewal, Basis::Concluded, kAlways, 0, Months(3), 0, "Miete"},
};
// clang-format on

const Rule& RuleFor(Family family, Phase phase, const CalendarDate& concluded,
                    const CalendarDate& today) {
    const Rule* found = nullptr;
    for (const Rule& rule : kRules) {
        const CalendarDate& day = rule.basis == Basis::Today ? today : concluded;
        if (rule.family == family && rule.phase == phase && !(day < rule.from))
            found = &rule;
    }
    return *found; // every family has a row from kAlways for each phase
}

// --- days ------------------------------------------------------------------------------------

sys_days Serial(const CalendarDate& d) {
    return std::chrono::year_month_day(std::chrono::year(d.year),
                                       std::chrono::month(static_cast<unsigned>(d.month)),
                                       std::chrono::day(static_cast<unsigned>(d.day)));
}

CalendarDate FromSerial(sys_days days) {
    const std::chrono::year_month_day ymd(days);
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

CalendarDate AddDays(const CalendarDate& d, int days) {
    return FromSerial(Serial(d) + std::chrono::days(days));
}

// The month `months` after (or before) the date's, with the day cut to that month's length.
CalendarDate ShiftMonths(const CalendarDate& d, int months) {
    const int index = d.year * 12 + (d.month - 1) + months;
    const int year = index / 12;
    const int month = index % 12 + 1;
    return {year, month, std::min(d.day, DaysInMonth(year, month))};
}

bool IsLastOfMonth(const CalendarDate& d) {
    return d.day == DaysInMonth(d.year, d.month);
}

// The last day of a term of `months` begun on `begin` (BGB § 188 Abs. 2 with § 187 Abs. 2: the
// day before the one of the same number; § 188 Abs. 3: the month's last day where that number
// does not exist, so 31 January + 1 month ends on the last day of February).
CalendarDate TermEnd(const CalendarDate& begin, int months) {
    const CalendarDate same = ShiftMonths(begin, months);
    if (same.day < begin.day)
        return same; // cut to the month's end
    return AddDays(same, -1);
}

// The day a notice that arrives on `arrival` ends the contract (BGB § 187 Abs. 1, § 188 Abs. 2
// and 3: the day of the same number, or the month's last day).
CalendarDate NoticeEnd(const CalendarDate& arrival, const Period& notice) {
    switch (notice.unit) {
    case Period::Unit::Days:
        return AddDays(arrival, notice.count);
    case Period::Unit::Weeks:
        return AddDays(arrival, 7 * notice.count);
    case Period::Unit::Months:
        break;
    }
    return ShiftMonths(arrival, notice.count);
}

// The last day a notice may arrive to end the contract on `end`.
CalendarDate LatestArrival(const CalendarDate& end, const Period& notice) {
    if (notice.unit != Period::Unit::Months)
        return AddDays(end, notice.unit == Period::Unit::Days ? -notice.count : -7 * notice.count);
    CalendarDate day = ShiftMonths(end, -notice.count);
    if (IsLastOfMonth(end))
        day.day = DaysInMonth(day.year, day.month);
    return day;
}

// Whether `a` ends a contract earlier than `b` (is shorter for the one who cancels).
bool Shorter(const Period& a, const Period& b, const CalendarDate& end) {
    return LatestArrival(end, b) < LatestArrival(end, a);
}

std::string DateText(const CalendarDate& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", d.day, d.month, d.year);
    return text;
}

// --- what was typed --------------------------------------------------------------------------

std::string Folded(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Letters and digits without blanks, for telling a month ("03/2022") from a day.
bool NamesADay(std::string_view text) {
    int parts = 0;
    bool inDigits = false;
    bool letters = false;
    for (const char c : text) {
        const bool digit = std::isdigit(static_cast<unsigned char>(c)) != 0;
        if (digit && !inDigits)
            ++parts;
        inDigits = digit || (inDigits && std::isspace(static_cast<unsigned char>(c)));
        // 0xC3 leads the umlauts of "März"; a no-break space (0xC2 0xA0) is no letter.
        letters = letters || std::isalpha(static_cast<unsigned char>(c)) ||
                  static_cast<unsigned char>(c) == 0xC3;
    }
    return parts + (letters ? 1 : 0) >= 3;
}

struct Typed {
    Family family = Family::Regular;
    CalendarDate begin{};
    bool beganInMonth = false; // only a month was typed: counted from its first day
    int minimum = 0;
    std::optional<int> renewal; // nullopt: not typed
    bool indefinite = false;
    std::optional<Period> notice;
};

CancelDate NotComputable(const std::string& what, const std::string& typed) {
    CancelDate out;
    out.reason = "nicht berechenbar: " + what;
    out.typed = typed;
    return out;
}

std::optional<int> MonthsOf(const std::string& text) {
    const std::optional<Period> period = ParsePeriod(text);
    if (!period || period->unit != Period::Unit::Months)
        return std::nullopt;
    return period->count;
}

// The typed terms read, or the first that cannot be read.
std::optional<CancelDate> Read(const ContractTerms& terms, Typed& out) {
    const std::string kind = terms.kind.empty() ? "Sonstiges" : terms.kind;
    const auto row = std::find_if(std::begin(kKinds), std::end(kKinds),
                                  [&](const KindRow& r) { return kind == r.kind; });
    if (row == std::end(kKinds))
        return NotComputable("Art " + terms.kind, terms.kind);
    out.family = row->family;
    const std::optional<CalendarDate> begin = ParseGermanDate(terms.begin);
    if (!begin)
        return NotComputable(terms.begin.empty() ? "kein Beginn" : "Beginn " + terms.begin,
                             terms.begin);
    out.begin = *begin;
    if (!NamesADay(terms.begin)) {
        out.begin.day = 1;
        out.beganInMonth = true;
    }
    if (!terms.minimumTerm.empty()) {
        const std::optional<int> months = MonthsOf(terms.minimumTerm);
        if (!months)
            return NotComputable("Mindestlaufzeit " + terms.minimumTerm, terms.minimumTerm);
        out.minimum = *months;
    }
    out.indefinite = Folded(terms.renewal) == "unbefristet";
    if (!terms.renewal.empty() && !out.indefinite) {
        out.renewal = MonthsOf(terms.renewal);
        if (!out.renewal || *out.renewal == 0)
            return NotComputable("Verl\xC3\xA4ngerung " + terms.renewal, terms.renewal);
    }
    if (!terms.notice.empty()) {
        out.notice = ParsePeriod(terms.notice);
        if (!out.notice)
            return NotComputable("K\xC3\xBCndigungsfrist " + terms.notice, terms.notice);
    }
    return std::nullopt;
}

// --- the rules applied -----------------------------------------------------------------------

struct Reason {
    std::vector<std::string> parts;
    std::string Text() const {
        std::string out;
        for (const std::string& part : parts)
            out += (out.empty() ? "" : "; ") + part;
        return out;
    }
};

// The notice owed: the typed one where it is shorter than the law's longest, else the law's.
Period Notice(const Typed& typed, const Rule& rule, const CalendarDate& end, Reason& reason) {
    if (!typed.notice)
        return rule.longestNotice;
    if (Shorter(rule.longestNotice, *typed.notice, end)) {
        reason.parts.push_back("vereinbarte Frist " + PeriodText(*typed.notice) +
                               " gesetzlich auf " + PeriodText(rule.longestNotice) + " begrenzt");
        return rule.longestNotice;
    }
    if (Shorter(*typed.notice, rule.longestNotice, end))
        reason.parts.push_back("vereinbarte Frist " + PeriodText(*typed.notice));
    return *typed.notice;
}

int Minimum(const Typed& typed, const Rule& rule, Reason& reason) {
    if (rule.longestMinimum == 0 || typed.minimum <= rule.longestMinimum)
        return typed.minimum;
    reason.parts.push_back("Mindestlaufzeit auf " + PeriodText(Months(rule.longestMinimum)) +
                           " begrenzt");
    return rule.longestMinimum;
}

CancelDate Finish(CancelDate out, const Typed& typed, Reason& reason) {
    if (typed.beganInMonth)
        reason.parts.push_back("Beginn ab Monatsanfang gerechnet");
    out.reason = reason.Text();
    return out;
}

CancelDate AnyTime(const Typed& typed, const Rule& rule, const CalendarDate& today,
                   const CalendarDate& termEnd, Reason reason) {
    const Period notice = Notice(typed, rule, today, reason);
    const std::string every = notice == Months(1)
                                  ? std::string("monatlich")
                                  : "jederzeit mit " + PeriodText(notice) + " Frist";
    reason.parts.insert(reason.parts.begin(),
                        std::string(rule.label) + ": " +
                            (typed.minimum > 0 ? "nach der Mindestlaufzeit " : "") + every +
                            " k\xC3\xBCndbar");
    CancelDate out{CancelDate::Kind::AnyTime, today, NoticeEnd(today, notice), {}, {}};
    out.endsOn = std::max(out.endsOn, termEnd);
    return Finish(out, typed, reason);
}

CancelDate AtTermEnd(const Typed& typed, const Rule& rule, const CalendarDate& end,
                     const char* what, Reason reason) {
    const Period notice = Notice(typed, rule, end, reason);
    reason.parts.insert(reason.parts.begin(), std::string(rule.label) + ": " + PeriodText(notice) +
                                                  " vor Ende " + what + " am " + DateText(end));
    return Finish({CancelDate::Kind::Deadline, LatestArrival(end, notice), end, {}, {}}, typed,
                  reason);
}

// The first end of a renewal term whose notice can still arrive.
CancelDate Renewals(const Typed& typed, const Rule& rule, int minimum, const CalendarDate& today,
                    Reason reason) {
    int months = typed.renewal.value_or(rule.longestRenewal);
    if (months > rule.longestRenewal) {
        reason.parts.push_back("Verl\xC3\xA4ngerung auf " +
                               PeriodText(Months(rule.longestRenewal)) + " begrenzt");
        months = rule.longestRenewal;
    }
    const int elapsed = (today.year - typed.begin.year) * 12 + (today.month - typed.begin.month);
    // Start a few terms back: the notice owed is at most three months.
    int k = std::max(1, (elapsed - minimum - 6) / months - 1);
    for (;; ++k) {
        const CalendarDate end = TermEnd(typed.begin, minimum + k * months);
        Reason scratch = reason;
        const Period notice = Notice(typed, rule, end, scratch);
        if (!(LatestArrival(end, notice) < today)) {
            if (rule.family == Family::Insurance)
                return AtTermEnd(typed, rule, end, "des Versicherungsjahres", reason);
            reason.parts.insert(reason.parts.begin(),
                                "verl\xC3\xA4ngert sich sonst um " + PeriodText(Months(months)));
            return AtTermEnd(typed, rule, end, "der Laufzeit", reason);
        }
    }
}

// Easter Sunday (the anonymous Gregorian computus).
CalendarDate Easter(int y) {
    const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    return {y, month, (h + l - 7 * m + 114) % 31 + 1};
}

// The holidays of every German state: New Year, Good Friday, Easter Monday, 1 May, Ascension,
// Whit Monday, German Unity Day and Christmas.
bool NationwideHoliday(const CalendarDate& d) {
    for (const auto& [m, day] : {std::pair{1, 1}, {5, 1}, {10, 3}, {12, 25}, {12, 26}})
        if (d.month == m && d.day == day)
            return true;
    const CalendarDate easter = Easter(d.year);
    for (const int offset : {-2, 1, 39, 50})
        if (AddDays(easter, offset) == d)
            return true;
    return false;
}

// BGB § 573c Abs. 1 counts working days; Saturday is none there (BGH VIII ZR 291/09), nor are
// Sunday and holidays (§ 193). Regional holidays are left out, which can only make the day
// earlier, never too late.
CalendarDate ThirdWorkingDay(int year, int month) {
    int found = 0;
    for (CalendarDate d{year, month, 1};; d.day++) {
        const unsigned weekday = std::chrono::weekday(Serial(d)).c_encoding();
        if (weekday != 0 && weekday != 6 && !NationwideHoliday(d) && ++found == 3)
            return d;
    }
}

// The tenant's notice: by the third working day of a month to the end of the month the notice
// reaches (three months: the end of the month after next); a typed waiver of cancellation
// (Mindestlaufzeit) moves the first possible end.
CancelDate Rent(const Typed& typed, const CalendarDate& today) {
    const Rule& rule = RuleFor(Family::Rent, Phase::Renewal, typed.begin, today);
    const CalendarDate waiverEnd =
        typed.minimum > 0 ? TermEnd(typed.begin, typed.minimum) : CalendarDate{1, 1, 1};
    for (CalendarDate month{today.year, today.month, 1};; month = ShiftMonths(month, 1)) {
        Reason reason;
        const CalendarDate probe{month.year, month.month, DaysInMonth(month.year, month.month)};
        const Period notice = Notice(typed, rule, probe, reason);
        CalendarDate end = probe;
        CalendarDate last = LatestArrival(end, notice);
        if (notice.unit == Period::Unit::Months) {
            end = ShiftMonths(month, notice.count - 1);
            end.day = DaysInMonth(end.year, end.month);
            last = ThirdWorkingDay(month.year, month.month);
        }
        if (last < today || end < waiverEnd)
            continue;
        reason.parts.insert(reason.parts.begin(),
                            std::string(rule.label) + ": " + PeriodText(notice) +
                                " zum Monatsende (bis zum 3. Werktag des Monats)");
        return Finish({CancelDate::Kind::Deadline, last, end, {}, {}}, typed, reason);
    }
}

} // namespace

std::optional<Period> ParsePeriod(std::string_view text) {
    const std::string s = Folded(text);
    static constexpr std::pair<const char*, int> kEvery[] = {{"monatlich", 1},
                                                             {"viertelj\xC3\xA4hrlich", 3},
                                                             {"halbj\xC3\xA4hrlich", 6},
                                                             {"j\xC3\xA4hrlich", 12}};
    for (const auto& [word, months] : kEvery)
        if (s == word)
            return Months(months);
    size_t pos = 0;
    int count = 0;
    while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos])) && count < 1000)
        count = count * 10 + (s[pos++] - '0');
    if (pos == 0) {
        static constexpr std::pair<const char*, int> kWords[] = {
            {"einen", 1}, {"eine", 1},  {"ein", 1},  {"zwei", 2},         {"drei", 3},
            {"vier", 4},  {"sechs", 6}, {"acht", 8}, {"zw\xC3\xB6lf", 12}};
        for (const auto& [word, value] : kWords)
            if (s.compare(0, std::string_view(word).size(), word) == 0) {
                count = value;
                pos = std::string_view(word).size();
                break;
            }
        if (pos == 0)
            return std::nullopt;
    }
    const std::string unit = s.substr(pos);
    static constexpr std::pair<const char*, Period::Unit> kUnits[] = {
        {"", Period::Unit::Months},       {"monat", Period::Unit::Months},
        {"monate", Period::Unit::Months}, {"monaten", Period::Unit::Months},
        {"mon.", Period::Unit::Months},   {"woche", Period::Unit::Weeks},
        {"wochen", Period::Unit::Weeks},  {"tag", Period::Unit::Days},
        {"tage", Period::Unit::Days},     {"tagen", Period::Unit::Days}};
    for (const auto& [name, u] : kUnits)
        if (unit == name)
            return Period{u, count};
    if (unit == "jahr" || unit == "jahre" || unit == "jahren")
        return Period{Period::Unit::Months, 12 * count};
    return std::nullopt;
}

std::string PeriodText(const Period& period) {
    const bool one = period.count == 1;
    const char* unit = period.unit == Period::Unit::Days    ? (one ? "Tag" : "Tage")
                       : period.unit == Period::Unit::Weeks ? (one ? "Woche" : "Wochen")
                                                            : (one ? "Monat" : "Monate");
    return std::to_string(period.count) + " " + unit;
}

CancelDate ComputeCancelDate(const ContractTerms& terms, const CalendarDate& today) {
    Typed typed;
    if (std::optional<CancelDate> unreadable = Read(terms, typed))
        return *unreadable;
    if (typed.family == Family::Rent)
        return Rent(typed, today);
    Reason reason;
    const Rule& first = RuleFor(typed.family, Phase::MinimumTerm, typed.begin, today);
    const int minimum = Minimum(typed, first, reason);
    if (minimum > 0) {
        const CalendarDate end = TermEnd(typed.begin, minimum);
        Reason scratch = reason;
        if (!(LatestArrival(end, Notice(typed, first, end, scratch)) < today))
            return AtTermEnd(typed, first, end, "der Mindestlaufzeit", reason);
    }
    const Rule& then = RuleFor(typed.family, Phase::Renewal, typed.begin, today);
    const CalendarDate termEnd = minimum > 0 ? TermEnd(typed.begin, minimum) : typed.begin;
    if (then.longestRenewal == 0 || (typed.indefinite && typed.family != Family::Insurance))
        return AnyTime(typed, then, today, termEnd, reason);
    return Renewals(typed, then, minimum, today, reason);
}

std::string CancelDateText(const CancelDate& date) {
    switch (date.kind) {
    case CancelDate::Kind::Deadline:
        return DateText(date.lastDay) + " (Ende " + DateText(date.endsOn) + ")";
    case CancelDate::Kind::AnyTime:
        return "jederzeit (Ende fr\xC3\xBChestens " + DateText(date.endsOn) + ")";
    case CancelDate::Kind::NotComputable:
        break;
    }
    return date.reason;
}
