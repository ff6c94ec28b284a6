#pragma once

#include "exchange/FieldCsv.h"
#include "exchange/ImportSource.h"
#include "exchange/KdbxModel.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// How a user's fields map onto other programs' records, both ways: one group per form, one
// entry per row of a form, the usual keys (title, user name, password, URL, notes) where a
// field plays that part, every other field an attribute named by its label.

// What the exchange needs to know of a field; the field catalogue provides it.
struct ExchangeField {
    int category = 0;
    int id = 0;
    std::string form;  // the form's title
    std::string entry; // the row of the form the field belongs to
    std::string label; // as the form names it
    int chars = 0;     // what the field admits; 0 for any length and several lines
    bool secret = false;
    ValueRole role = ValueRole::Other;
    int titleId = 0; // a field of the same row whose text the user wrote as this one's title
};

using FieldKey = std::pair<int, int>; // category, id
using FormValues = std::map<FieldKey, std::string>;

// The database of every form's rows that hold anything.
KdbxDatabase ExportKdbx(const std::vector<ExchangeField>& fields, const FormValues& values,
                        const std::string& name);

// One line per field, empty ones too, named as CsvFieldName says.
std::vector<CsvRow> ExportCsv(const std::vector<ExchangeField>& fields, const FormValues& values);
// The name of a field in the CSV's second column: its label, with its row where the label
// alone is not unique within the form, and its field name where even that is not.
std::string CsvFieldName(const std::vector<ExchangeField>& fields, const ExchangeField& field);

// A value of the source and where it goes.
struct PlannedValue {
    std::string key; // as the source names it
    std::string value;
    bool secret = false;
    FieldKey target{0, 0};  // {0, 0}: it fits nowhere
    std::string targetName; // "Form › row › label" or, when it does not fit, why
    std::string previous;   // the value it overwrites, when it overwrites one
    bool Overwrites() const { return !previous.empty() && previous != value; }
};

struct PlannedEntry {
    std::string source; // "group/title" as the source shows it
    std::string form;   // the form it goes into, empty when none
    std::string entry;  // the row of that form
    std::vector<PlannedValue> values;
    std::vector<std::string> unimported; // attachments, a recycle bin's entries
};

struct ImportPlan {
    std::vector<PlannedEntry> entries;
    FormValues changes;                // what the import writes, field by field
    std::vector<std::string> rejected; // source lines that could not be read at all
    int Overwritten() const;
    int Unfit() const;  // values that fit nowhere: only the report keeps them
    int Placed() const; // values that go into a field (the titles of free rows not counted)
};

struct ImportOptions {
    // Values that fit no field of their row go into empty titled rows (a free field and its
    // title): of the row's form first, then of the form with the most such rows.
    bool spillIntoFreeRows = true;
};

ImportPlan PlanImport(const std::vector<ExchangeField>& fields, const FormValues& current,
                      const std::vector<SourceEntry>& source, const ImportOptions& options = {});
ImportPlan PlanCsvImport(const std::vector<ExchangeField>& fields, const FormValues& current,
                         const CsvRead& csv, const ImportOptions& options = {});

// The text report of an import: per source entry where each value went, and in full every value
// that fits nowhere (secrets too: the file is the user's only copy of them).
std::string ImportReport(const ImportPlan& plan);
