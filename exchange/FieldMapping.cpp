#include "exchange/FieldMapping.h"

#include "exchange/KdbxCrypto.h"

#include <QString>

#include <algorithm>
#include <set>

namespace {

// The fields of one row of a form, in catalogue order.
struct Row {
    std::string form;
    std::string entry;
    std::vector<const ExchangeField*> fields;
};

std::vector<Row> RowsOf(const std::vector<ExchangeField>& fields) {
    std::vector<Row> rows;
    for (const ExchangeField& f : fields) {
        auto it = std::find_if(rows.begin(), rows.end(), [&](const Row& r) {
            return r.form == f.form && r.entry == f.entry;
        });
        if (it == rows.end())
            it = rows.insert(rows.end(), Row{f.form, f.entry, {}});
        it->fields.push_back(&f);
    }
    return rows;
}

std::string ValueOf(const FormValues& values, const ExchangeField& f) {
    const auto it = values.find({f.category, f.id});
    return it == values.end() ? std::string() : it->second;
}

bool Blank(const std::string& s) {
    return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

const char* StandardKey(ValueRole role) {
    switch (role) {
    case ValueRole::Title:
        return "Title";
    case ValueRole::UserName:
        return "UserName";
    case ValueRole::Password:
        return "Password";
    case ValueRole::Url:
        return "URL";
    case ValueRole::Notes:
        return "Notes";
    case ValueRole::Other:
        break;
    }
    return nullptr;
}

std::string UniqueKey(const std::string& label, const std::vector<KdbxString>& taken) {
    std::string key = label;
    for (int n = 2;
         std::any_of(taken.begin(), taken.end(), [&](const KdbxString& s) { return s.key == key; });
         ++n)
        key = label + " (" + std::to_string(n) + ")";
    return key;
}

// The row as an entry: the first field of each part in its standard key, the others as
// attributes; the title is the row's name while its title field is empty.
KdbxEntry EntryOf(const Row& row, const FormValues& values) {
    KdbxEntry e;
    e.uuid = kdbx::RandomBytes(16);
    std::string title;
    std::set<ValueRole> used;
    for (const ExchangeField* f : row.fields) {
        const std::string v = ValueOf(values, *f);
        if (f->role == ValueRole::Title && used.insert(f->role).second) {
            title = v;
        } else if (StandardKey(f->role) && used.insert(f->role).second) {
            e.strings.push_back({StandardKey(f->role), v, f->secret});
        } else {
            e.strings.push_back({UniqueKey(f->label, e.strings), v, f->secret});
        }
    }
    e.strings.insert(e.strings.begin(), {"Title", Blank(title) ? row.entry : title, false});
    return e;
}

} // namespace

KdbxDatabase ExportKdbx(const std::vector<ExchangeField>& fields, const FormValues& values,
                        const std::string& name) {
    KdbxDatabase db;
    db.name = name;
    db.root.uuid = kdbx::RandomBytes(16);
    db.root.name = name;
    for (const Row& row : RowsOf(fields)) {
        if (std::all_of(row.fields.begin(), row.fields.end(),
                        [&](const ExchangeField* f) { return Blank(ValueOf(values, *f)); }))
            continue;
        auto group = std::find_if(db.root.groups.begin(), db.root.groups.end(),
                                  [&](const KdbxGroup& g) { return g.name == row.form; });
        if (group == db.root.groups.end()) {
            group = db.root.groups.insert(db.root.groups.end(), KdbxGroup{});
            group->uuid = kdbx::RandomBytes(16);
            group->name = row.form;
        }
        group->entries.push_back(EntryOf(row, values));
    }
    return db;
}

std::string CsvFieldName(const std::vector<ExchangeField>& fields, const ExchangeField& field) {
    auto count = [&](auto same) { return std::count_if(fields.begin(), fields.end(), same); };
    if (count([&](const ExchangeField& f) {
            return f.form == field.form && f.label == field.label;
        }) == 1)
        return field.label;
    const std::string withRow = field.entry + " – " + field.label;
    if (count([&](const ExchangeField& f) {
            return f.form == field.form && f.entry == field.entry && f.label == field.label;
        }) == 1)
        return withRow;
    return withRow + " (E" + std::to_string(field.category) + "_" + std::to_string(field.id) + ")";
}

std::vector<CsvRow> ExportCsv(const std::vector<ExchangeField>& fields, const FormValues& values) {
    std::vector<CsvRow> rows;
    for (const ExchangeField& f : fields)
        rows.push_back({f.form, CsvFieldName(fields, f), ValueOf(values, f)});
    return rows;
}

namespace {

template <class Pred> int CountValues(const ImportPlan& plan, Pred pred) {
    int n = 0;
    for (const PlannedEntry& e : plan.entries)
        n += static_cast<int>(std::count_if(e.values.begin(), e.values.end(), pred));
    return n;
}

} // namespace

int ImportPlan::Overwritten() const {
    return CountValues(*this, [](const PlannedValue& v) { return v.Overwrites(); });
}

int ImportPlan::Unfit() const {
    return CountValues(*this, [](const PlannedValue& v) { return v.target.first == 0; }) +
           static_cast<int>(rejected.size());
}

int ImportPlan::Placed() const {
    return CountValues(*this, [](const PlannedValue& v) { return v.target.first != 0; });
}
