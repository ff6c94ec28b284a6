#include "exchange/FieldMapping.h"

#include <QString>

#include <algorithm>
#include <set>

namespace {

struct Row {
    std::string form;
    std::string entry;
    std::vector<const ExchangeField*> fields;
};

// Other programs' keys that name a label of the forms.
const std::map<std::string, std::string> kAliases = {
    {"Karteninhaber", "Inhaber"}, {"Kartennummer", "Nummer"}, {"Anschrift", "Adresse"}};

// Which rows a kind of source entry prefers when several fit as well.
const std::map<SourceKind, std::string> kPreferredRow = {{SourceKind::Card, "Kreditkart"},
                                                         {SourceKind::Login, "Online-Angebot"},
                                                         {SourceKind::Identity, "Person"}};

std::string Fold(const std::string& s) {
    return QString::fromStdString(s).trimmed().toCaseFolded().toStdString();
}

// "Kreditkarten: Nummer (1)" -> "nummer"
std::string Core(const std::string& label) {
    std::string s = label.substr(label.rfind(':') == std::string::npos ? 0 : label.rfind(':') + 1);
    if (const auto paren = s.rfind(" ("); paren != std::string::npos && s.back() == ')')
        s.erase(paren);
    return Fold(s);
}

bool Blank(const std::string& s) {
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

std::string Where(const ExchangeField& f) {
    return f.form + " › " + f.entry + " › " + f.label;
}

// Whether the value can stand in the field as it is: a single line within its length, or a
// field of any length.
std::string WhyNotFits(const ExchangeField& f, const std::string& value) {
    if (f.chars == 0)
        return {};
    if (value.find_first_of("\r\n") != std::string::npos)
        return "mehrzeilig, " + f.label + " ist einzeilig";
    if (QString::fromStdString(value).size() > f.chars)
        return "zu lang für " + f.label + " (höchstens " + std::to_string(f.chars) + " Zeichen)";
    return {};
}

class Planner {
public:
    Planner(const std::vector<ExchangeField>& fields, const FormValues& current,
            const ImportOptions& options)
        : m_current(current), m_options(options) {
        for (const ExchangeField& f : fields) {
            auto it = std::find_if(m_rows.begin(), m_rows.end(), [&](const Row& r) {
                return r.form == f.form && r.entry == f.entry;
            });
            if (it == m_rows.end())
                it = m_rows.insert(m_rows.end(), Row{f.form, f.entry, {}});
            it->fields.push_back(&f);
        }
    }

    void Add(const SourceEntry& e);
    PlannedEntry& Begin(std::string source) {
        m_plan.entries.push_back({std::move(source), {}, {}, {}, {}});
        return m_plan.entries.back();
    }
    // value into field, or false when the field is taken or the value does not fit.
    bool Place(PlannedEntry& out, const SourceValue& v, const ExchangeField& f);
    void Spill(PlannedEntry& out, const std::string& title, const SourceValue& v,
               const std::string& form);
    const std::vector<Row>& rows() const { return m_rows; }
    ImportPlan Take() { return std::move(m_plan); }

private:
    std::string Now(const ExchangeField& f) const {
        const FieldKey key{f.category, f.id};
        if (const auto it = m_plan.changes.find(key); it != m_plan.changes.end())
            return it->second;
        const auto it = m_current.find(key);
        return it == m_current.end() ? std::string() : it->second;
    }
    bool Free(const Row& r) const {
        return std::all_of(r.fields.begin(), r.fields.end(), [&](const ExchangeField* f) {
            return Blank(Now(*f)) && !m_taken.count({f->category, f->id});
        });
    }
    const ExchangeField* Match(const Row& r, const SourceValue& v,
                               const std::set<const ExchangeField*>& used) const;
    const Row* ChooseRow(const SourceEntry& e) const;
    int Score(const Row& r, const SourceEntry& e) const;

    const FormValues& m_current;
    ImportOptions m_options;
    std::vector<Row> m_rows;
    std::set<FieldKey> m_taken;
    ImportPlan m_plan;
};

const ExchangeField* Planner::Match(const Row& r, const SourceValue& v,
                                    const std::set<const ExchangeField*>& used) const {
    const auto alias = kAliases.find(v.key);
    const std::string key = Fold(alias == kAliases.end() ? v.key : alias->second);
    // The part it plays first; then its exact label, then the label without its row, each
    // among the fields without a part before the others.
    for (int pass = 0; pass < 5; ++pass) {
        for (const ExchangeField* f : r.fields) {
            if (m_taken.count({f->category, f->id}) || used.count(f))
                continue;
            if (pass > 0 && pass % 2 == 1 && f->role != ValueRole::Other)
                continue;
            const bool hit = pass == 0  ? v.role != ValueRole::Other && f->role == v.role
                             : pass < 3 ? Fold(f->label) == key
                                        : Core(f->label) == key;
            if (hit)
                return f;
        }
    }
    // "Label (2)": the second field of that label, as the export names it.
    const auto open = v.key.rfind(" (");
    if (open != std::string::npos && v.key.back() == ')' &&
        v.key.find_first_not_of("0123456789", open + 2) == v.key.size() - 1 &&
        open + 3 < v.key.size()) {
        SourceValue base = v;
        base.key.erase(open);
        return Match(r, base, used);
    }
    return nullptr;
}

// Named values before the usual parts, so that a label the form has wins over a part.
std::vector<const SourceValue*> Ordered(const SourceEntry& e) {
    std::vector<const SourceValue*> order;
    for (const SourceValue& v : e.values)
        if (v.role == ValueRole::Other)
            order.push_back(&v);
    for (const SourceValue& v : e.values)
        if (v.role != ValueRole::Other)
            order.push_back(&v);
    return order;
}

int Planner::Score(const Row& r, const SourceEntry& e) const {
    int score = 0;
    std::set<const ExchangeField*> used;
    for (const SourceValue* v : Ordered(e)) {
        const ExchangeField* f = Blank(v->value) ? nullptr : Match(r, *v, used);
        if (f && used.insert(f).second)
            score += Fold(f->label) == Fold(v->key) ? 3 : 2;
    }
    const auto preferred = kPreferredRow.find(e.kind);
    if (preferred != kPreferredRow.end() && r.entry.find(preferred->second) != std::string::npos)
        ++score;
    return score;
}

// The row the entry updates (same form and title) or the best free row; nullptr for none.
const Row* Planner::ChooseRow(const SourceEntry& e) const {
    // The form the source's group names: the whole group or its last part (a form's title may
    // hold a '/').
    auto names = [&](const Row& r) { return e.group == r.form || e.group.ends_with("/" + r.form); };
    const bool formNamed = std::any_of(m_rows.begin(), m_rows.end(), names);
    const Row* best = nullptr;
    // Within the form its group names, a title alone finds a row; elsewhere it takes more.
    int bestScore = formNamed ? 1 : 2;
    for (const Row& r : m_rows) {
        if (formNamed && !names(r))
            continue;
        const bool named = r.entry == e.title;
        const bool same =
            !Blank(e.title) &&
            std::any_of(r.fields.begin(), r.fields.end(), [&](const ExchangeField* f) {
                return f->role == ValueRole::Title && Now(*f) == e.title;
            });
        if (named || same)
            return &r;
        const int score = Free(r) ? Score(r, e) : 0;
        if (score > bestScore) {
            best = &r;
            bestScore = score;
        }
    }
    return best;
}

bool Planner::Place(PlannedEntry& out, const SourceValue& v, const ExchangeField& f) {
    const FieldKey key{f.category, f.id};
    if (m_taken.count(key) || !WhyNotFits(f, v.value).empty())
        return false;
    PlannedValue p{v.key, v.value, v.secret || f.secret, key, Where(f), {}};
    if (const std::string now = Now(f); !Blank(now) && now != v.value)
        p.previous = now;
    m_taken.insert(key);
    m_plan.changes[key] = v.value;
    out.values.push_back(std::move(p));
    return true;
}

// Into an empty titled row: the row's form first, then the form with the most such rows.
void Planner::Spill(PlannedEntry& out, const std::string& title, const SourceValue& v,
                    const std::string& form) {
    std::map<std::string, int> pairs;
    std::vector<std::pair<const ExchangeField*, const ExchangeField*>> candidates;
    for (const Row& r : m_rows)
        for (const ExchangeField* f : r.fields)
            for (const ExchangeField* t : r.fields)
                if (f->titleId == t->id && t != f) {
                    ++pairs[r.form];
                    if (Free(r))
                        candidates.push_back({t, f});
                }
    std::stable_sort(candidates.begin(), candidates.end(), [&](const auto& a, const auto& b) {
        return std::pair(a.first->form != form, -pairs[a.first->form]) <
               std::pair(b.first->form != form, -pairs[b.first->form]);
    });
    std::string why = "kein passendes Feld";
    for (const auto& [t, f] : m_options.spillIntoFreeRows ? candidates : decltype(candidates){}) {
        if (!WhyNotFits(*f, v.value).empty()) {
            why = WhyNotFits(*f, v.value);
            continue;
        }
        QString name = QString::fromStdString(title.empty() ? v.key : title + ": " + v.key);
        if (t->chars > 0)
            name = name.left(t->chars);
        Place(out, v, *f);
        // The row's title says where the value came from; it is shown with the value.
        m_taken.insert({t->category, t->id});
        m_plan.changes[{t->category, t->id}] = name.toStdString();
        out.values.back().targetName += " (Titel „" + name.toStdString() + "“)";
        return;
    }
    out.values.push_back({v.key, v.value, v.secret, {0, 0}, why, {}});
}

void Planner::Add(const SourceEntry& e) {
    PlannedEntry& out = Begin(e.group.empty() ? e.title : e.group + "/" + e.title);
    out.unimported = e.attachments;
    if (e.deleted) {
        out.unimported.push_back("im Papierkorb der Quelle: nicht übernommen");
        for (const SourceValue& v : e.values)
            out.values.push_back(
                {v.key, v.value, v.secret, {0, 0}, "im Papierkorb der Quelle", {}});
        return;
    }
    const Row* row = e.kind == SourceKind::Note ? nullptr : ChooseRow(e);
    if (row) {
        out.form = row->form;
        out.entry = row->entry;
    }
    const auto filled = std::count_if(e.values.begin(), e.values.end(),
                                      [](const SourceValue& v) { return !Blank(v.value); });
    for (const SourceValue* value : Ordered(e)) {
        const SourceValue& v = *value;
        // A title is the row's name, or the title of the free rows the other values go to.
        const bool titleOnly =
            v.role == ValueRole::Title && (row ? v.value == row->entry : filled > 1);
        if (Blank(v.value) || titleOnly)
            continue;
        const ExchangeField* f = row ? Match(*row, v, {}) : nullptr;
        if (!f || !Place(out, v, *f))
            Spill(out, e.title, v, row ? row->form : std::string());
    }
}

std::string Line(const PlannedValue& v) {
    if (v.target.first == 0)
        return "  " + v.key + ": NICHT ÜBERNOMMEN (" + v.targetName + "): " + v.value + "\n";
    std::string line = "  " + v.key + " → " + v.targetName;
    if (v.Overwrites())
        line += v.secret ? " (überschreibt den bisherigen Wert)"
                         : " (überschreibt „" + v.previous + "“)";
    return line + "\n";
}

} // namespace

ImportPlan PlanImport(const std::vector<ExchangeField>& fields, const FormValues& current,
                      const std::vector<SourceEntry>& source, const ImportOptions& options) {
    Planner planner(fields, current, options);
    for (const SourceEntry& e : source)
        planner.Add(e);
    return planner.Take();
}

ImportPlan PlanCsvImport(const std::vector<ExchangeField>& fields, const FormValues& current,
                         const CsvRead& csv, const ImportOptions& options) {
    Planner planner(fields, current, options);
    PlannedEntry* out = nullptr;
    for (const CsvRow& r : csv.rows) {
        const auto f = std::find_if(fields.begin(), fields.end(), [&](const ExchangeField& x) {
            return x.form == r.form && CsvFieldName(fields, x) == r.field;
        });
        const std::string source = f == fields.end() ? r.form : f->form + " › " + f->entry;
        if (!out || out->source != source)
            out = &planner.Begin(source);
        if (f != fields.end()) {
            out->form = f->form;
            out->entry = f->entry;
        }
        const SourceValue v{r.field, r.value, false, ValueRole::Other};
        if (!Blank(r.value) && (f == fields.end() || !planner.Place(*out, v, *f)))
            planner.Spill(*out, r.form, v, r.form);
    }
    ImportPlan plan = planner.Take();
    plan.rejected = csv.rejected;
    return plan;
}

std::string ImportReport(const ImportPlan& plan) {
    std::string out = "Import-Bericht\n";
    for (const PlannedEntry& e : plan.entries) {
        out += "\n" + e.source +
               (e.form.empty() ? std::string() : " → " + e.form + " › " + e.entry) + "\n";
        for (const PlannedValue& v : e.values)
            out += Line(v);
        for (const std::string& u : e.unimported)
            out += "  NICHT ÜBERNOMMEN: " + u + "\n";
    }
    for (const std::string& r : plan.rejected)
        out += "\nNicht lesbar: " + r + "\n";
    return out;
}
