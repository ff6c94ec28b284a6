#include "deadlines/Deadlines.h"

#include "catalogue/FieldCatalogue.h"
#include "platform/Profile.h"
#include "search/TextFold.h"
#include "store/ContractFields.h"
#include "util/ContractTerms.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>

namespace {

std::string Trimmed(std::string text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!text.empty() && blank(static_cast<unsigned char>(text.back())))
        text.pop_back();
    size_t start = 0;
    while (start < text.size() && blank(static_cast<unsigned char>(text[start])))
        ++start;
    return text.substr(start);
}

bool HasWord(const std::string& lower, const std::string& word) {
    for (size_t at = lower.find(word); at != std::string::npos; at = lower.find(word, at + 1)) {
        const bool startOk = at == 0 || !std::isalpha(static_cast<unsigned char>(lower[at - 1]));
        const size_t end = at + word.size();
        const bool endOk =
            end == lower.size() || !std::isalpha(static_cast<unsigned char>(lower[end]));
        if (startOk && endOk)
            return true;
    }
    return false;
}

// Folded as the search folds (case, umlauts and accents, ß as ss).
std::string Folded(const std::string& text) {
    static thread_local TextFolder folder;
    return folder.FoldPlain(ComposedText(text));
}

// A free field's title that names a deadline, and not a secret; folded, so "GÜLTIG", "gultig"
// and "Paßwort" count.
bool IsDeadlineTitle(const std::string& title) {
    const std::string lower = Folded(title);
    for (const char* secret : {"pin", "passwort", "kennwort", "geheim"})
        if (lower.find(secret) != std::string::npos)
            return false;
    for (const char* stem :
         {"gultig", "ablauf", "lauft", "frist", "garantie", "verfallt", "fallig", "tuv"})
        if (lower.find(stem) != std::string::npos)
            return true;
    return HasWord(lower, "bis");
}

std::string ValueOf(const std::map<int, std::string>& values, int id) {
    const auto it = values.find(id);
    return it == values.end() ? std::string() : Trimmed(it->second);
}

// The form's fixed text, then what the user typed beside it (never for labelsOnly).
std::string Describe(const DeadlineFacts& field, const std::map<int, std::string>& values,
                     bool labelsOnly) {
    std::string what = field.what;
    if (labelsOnly || field.nameId == 0)
        return what;
    const std::string name = ValueOf(values, field.nameId);
    if (field.nameLabel == nullptr)
        return name.empty() ? what : "Garantie: " + name;
    if (const std::string bank = ValueOf(values, field.bankId); !bank.empty())
        what += ", Bank " + bank;
    if (!name.empty())
        what += ", " + std::string(field.nameLabel) + " " + name;
    return what;
}

Deadline Make(int category, int id, const std::string& typed, std::string what, std::string title) {
    const auto reading = ReadGermanDate(typed);
    return {category,
            id,
            typed,
            reading ? std::optional(reading->date) : std::nullopt,
            CategoryTitle(category),
            std::move(what),
            std::move(title),
            reading ? reading->reason : std::string()};
}

// The catalogue's event with the name put in ("Kreditkarte Sparkasse läuft ab"); without a
// name (none typed, or labelsOnly) the row stands after a colon, and nothing elsewhere.
std::string EventTitle(const FieldFacts& field, const std::map<int, std::string>& values,
                       bool labelsOnly) {
    std::string title = field.deadline.event ? field.deadline.event : field.entry;
    const std::string placeholder = "<Name>";
    const size_t at = title.find(placeholder);
    if (at == std::string::npos)
        return title;
    std::string name = labelsOnly ? std::string() : ValueOf(values, field.deadline.eventNameId);
    name = name.substr(0, name.find_first_of("\r\n"));
    if (!name.empty())
        return title.replace(at, placeholder.size(), name);
    if (at >= 2 && title.compare(at - 2, 2, ": ") == 0)
        return title.replace(at, placeholder.size(), field.entry);
    return title.erase(at > 0 ? at - 1 : at, placeholder.size() + (at > 0 ? 1 : 0));
}

// A title the user wrote, as what happens: "Reisepass gültig bis" becomes "Reisepass läuft
// ab", "TÜV Anhänger" becomes "TÜV Anhänger fällig".
std::string TitledEvent(const std::string& title) {
    const std::string lower = Folded(title);
    const bool due = lower.find("fallig") != std::string::npos ||
                     lower.find("frist") != std::string::npos ||
                     lower.find("tuv") != std::string::npos;
    std::string core;
    size_t start = 0;
    while (start < title.size()) {
        size_t end = title.find(' ', start);
        if (end == std::string::npos)
            end = title.size();
        std::string word = title.substr(start, end - start);
        while (!word.empty() && word.back() == ':')
            word.pop_back();
        const std::string w = Folded(word);
        const bool filler = w == "bis" || w == "ab" || w == "am" || w == "lauft" || w == "frist" ||
                            w.starts_with("gultig") || w.starts_with("ablauf") ||
                            w.starts_with("fallig");
        if (!word.empty() && !filler)
            core += (core.empty() ? "" : " ") + word;
        start = end + 1;
    }
    if (core.empty())
        core = title;
    return core + (due ? " f\xC3\xA4llig" : " l\xC3\xA4uft ab");
}

// A field the user titled: a deadline when its title names one.
void AddTitled(const FieldFacts& field, const std::map<int, std::string>& values,
               std::vector<Deadline>& out) {
    std::string label = ValueOf(values, field.titleId);
    const std::string typed = ValueOf(values, field.id);
    if (typed.empty() || !IsDeadlineTitle(label))
        return;
    if (!label.empty() && label.back() == ':')
        label.pop_back();
    label = Trimmed(label);
    out.push_back(Make(field.category, field.id, typed, label, TitledEvent(label)));
}

std::chrono::sys_days Days(const CalendarDate& d) {
    return std::chrono::year_month_day(std::chrono::year(d.year),
                                       std::chrono::month(static_cast<unsigned>(d.month)),
                                       std::chrono::day(static_cast<unsigned>(d.day)));
}

constexpr const char* kCancelBy = "K\xC3\xBCndigen bis: ";

// The contracts' last days to cancel; labelsOnly names a contract by its number, not its
// provider.
void AddContracts(const std::map<int, std::string>& values, bool labelsOnly,
                  const CalendarDate& today, std::vector<Deadline>& out) {
    for (int c = 0; c < kContractCount; ++c) {
        if (Trimmed(ContractValue(values, c, ContractPart::Begin)).empty())
            continue;
        const CancelDate date = ComputeCancelDate(TermsOf(values, c), today);
        if (date.kind == CancelDate::Kind::AnyTime)
            continue;
        const std::string provider = Trimmed(ContractValue(values, c, ContractPart::Provider));
        std::string name =
            labelsOnly || provider.empty() ? "Vertrag " + std::to_string(c + 1) : provider;
        if (const std::string kind = Trimmed(ContractValue(values, c, ContractPart::Kind));
            !kind.empty())
            name += " (" + kind + ")";
        Deadline row{kContractCategory,
                     ContractFieldId(c, ContractPart::Provider),
                     date.typed.empty() ? "nicht berechenbar" : date.typed,
                     std::nullopt,
                     CategoryTitle(kContractCategory),
                     kCancelBy + name,
                     {},
                     {}};
        if (date.kind == CancelDate::Kind::Deadline)
            row.date = date.lastDay;
        out.push_back(std::move(row));
    }
}

} // namespace

std::vector<Deadline> FindDeadlines(const CategoryValues& values, bool labelsOnly,
                                    const std::optional<CalendarDate>& contractsOn) {
    std::vector<Deadline> out;
    for (const FieldFacts& field : AllFields()) {
        if (field.deadline.role == DateRole::None || field.secret)
            continue;
        const std::map<int, std::string>* category = values(field.category);
        if (category == nullptr)
            continue;
        if (field.deadline.role == DateRole::Titled) {
            AddTitled(field, *category, out);
        } else if (const std::string typed = ValueOf(*category, field.id); !typed.empty()) {
            out.push_back(Make(field.category, field.id, typed,
                               Describe(field.deadline, *category, labelsOnly),
                               EventTitle(field, *category, labelsOnly)));
        }
    }
    if (contractsOn)
        if (const std::map<int, std::string>* contracts = values(kContractCategory))
            AddContracts(*contracts, labelsOnly, *contractsOn, out);
    // Readable first by date; unreadable keep the order of the forms.
    std::stable_sort(out.begin(), out.end(), [](const Deadline& a, const Deadline& b) {
        if (a.date && b.date)
            return *a.date < *b.date;
        return a.date.has_value() && !b.date.has_value();
    });
    return out;
}

std::string CalendarTitle(const Deadline& deadline) {
    if (!deadline.title.empty())
        return deadline.title;
    const std::string prefix = kCancelBy;
    if (deadline.category == kContractCategory && deadline.what.rfind(prefix, 0) == 0)
        return "K\xC3\xBCndigungsfrist: " + deadline.what.substr(prefix.size());
    return deadline.form + ": " + deadline.what;
}

int DaysUntil(const CalendarDate& date, const CalendarDate& today) {
    return static_cast<int>((Days(date) - Days(today)).count());
}

DeadlineState StateOf(const Deadline& deadline, const CalendarDate& today, int leadDays) {
    if (!deadline.date)
        return DeadlineState::Unreadable;
    const int days = DaysUntil(*deadline.date, today);
    if (days < 0)
        return DeadlineState::Expired;
    return leadDays > 0 && days <= leadDays ? DeadlineState::Due : DeadlineState::Later;
}

const char* StateMark(DeadlineState state) {
    switch (state) {
    case DeadlineState::Expired:
        return "Abgelaufen";
    case DeadlineState::Due:
        return "Bald f\xC3\xA4llig";
    case DeadlineState::Unreadable:
        return "Nicht lesbar";
    case DeadlineState::Later:
        break;
    }
    return "";
}

std::string DaysLeftText(const Deadline& deadline, const CalendarDate& today) {
    if (!deadline.date)
        return "nicht lesbar";
    const int days = DaysUntil(*deadline.date, today);
    if (days == 0)
        return "l\xC3\xA4uft heute ab";
    if (days < 0)
        return "abgelaufen seit " + std::to_string(-days) + (days == -1 ? " Tag" : " Tagen");
    return "noch " + std::to_string(days) + (days == 1 ? " Tag" : " Tage");
}

std::string DateText(const Deadline& deadline) {
    if (!deadline.date)
        return deadline.typed;
    char text[16];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", deadline.date->day, deadline.date->month,
                  deadline.date->year);
    return deadline.reason.empty() ? std::string(text)
                                   : std::string(text) + " (" + deadline.reason + ")";
}

int CountDue(const std::vector<Deadline>& deadlines, const CalendarDate& today, int leadDays) {
    return static_cast<int>(
        std::count_if(deadlines.begin(), deadlines.end(), [&](const Deadline& d) {
            const DeadlineState state = StateOf(d, today, leadDays);
            return state == DeadlineState::Expired || state == DeadlineState::Due;
        }));
}

int LeadDays(const std::string& settingsFile) {
    const std::string value = GetPrivateProfileString("OPTIONS", kLeadTimeKey, "", settingsFile);
    if (value.empty())
        return kDefaultLeadDays;
    // A value that is no number keeps the reminders on: a typing slip must not switch them off.
    if (!std::isdigit(static_cast<unsigned char>(value[0])))
        return kDefaultLeadDays;
    return std::clamp(GetPrivateProfileInt("OPTIONS", kLeadTimeKey, 0, settingsFile), 0, 3660);
}

std::string StableTag(const std::string& text) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char tag[17];
    std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(hash));
    return tag;
}

void OfferLeadTimeKey(const std::string& settingsFile) {
    if (GetPrivateProfileString("OPTIONS", kLeadTimeKey, "", settingsFile).empty())
        WritePrivateProfileString("OPTIONS", kLeadTimeKey, std::to_string(kDefaultLeadDays),
                                  settingsFile);
}

bool TakeDailyOverview(const std::string& settingsFile, const std::string& user,
                       const CalendarDate& today) {
    char day[16];
    std::snprintf(day, sizeof day, "%04d-%02d-%02d", today.year, today.month, today.day);
    const std::string key = StableTag(user);
    if (GetPrivateProfileString("FRISTEN", key, "", settingsFile) == day)
        return false;
    // Not written (a read-only folder): the overview still opens, at worst more than once a day.
    WritePrivateProfileString("FRISTEN", key, day, settingsFile);
    return true;
}
