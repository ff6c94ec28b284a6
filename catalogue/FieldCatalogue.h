#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

// What the program knows about every field of every form, and the tables that hold them: one
// row per field, one row per category, one row per table. The schema, the forms, their checks
// and masks, Fristen, search, Konflikte, the emergency folder, the merge and export read it.

// A table of a user's document. First and Second are the two tables every document had from
// the start; a later table is TableIndex{n}, n its row in kTables.
enum class TableIndex : int { First = 0, Second = 1 };

// Files per table: .DB (records), .PX (index), .MB (memos), in this slot order.
inline constexpr int kSlotsPerTable = 3;
inline constexpr std::array<const char*, kSlotsPerTable> kTableExtensions = {".DB", ".PX", ".MB"};

struct TableInfo {
    TableIndex index;                                  // its row in kTables
    std::array<const char*, kSlotsPerTable> templates; // template file of each slot
    constexpr int FirstSlot() const { return static_cast<int>(index) * kSlotsPerTable; }
};

// Every table, in slot order; its categories are those whose row names it. A new table is a row
// here and the rows of its categories: documents written before it open with the table made
// from its templates (tools/maketemplates writes them from the field rows).
inline constexpr std::array kTables = {
    TableInfo{TableIndex{0}, {"QUILLORY 1.DAT", "QUILLORY 3.DAT", "QUILLORY 2.DAT"}},
    TableInfo{TableIndex{1}, {"QUILLORY 4.DAT", "QUILLORY 6.DAT", "QUILLORY 5.DAT"}},
    TableInfo{TableIndex{2}, {"QUILLORY 7.DAT", "QUILLORY 9.DAT", "QUILLORY 8.DAT"}},
    TableInfo{TableIndex{3}, {"QUILLORY 10.DAT", "QUILLORY 12.DAT", "QUILLORY 11.DAT"}},
};
// The table of the merge's causal state (stamps, version vector, conflicts, field history): no
// category, one record with the memo kStateField, sealed and committed like the others.
inline constexpr TableIndex kStateTable = TableIndex{3};
inline constexpr const char* kStateField = "STAND";
inline constexpr int kTableCount = static_cast<int>(kTables.size());
// Slots of a whole document: kSlotsPerTable for every table.
inline constexpr int kSlotCount = kTableCount * kSlotsPerTable;

inline const TableInfo& TableAt(TableIndex table) {
    return kTables[static_cast<std::size_t>(table)];
}
// The table whose files a slot holds.
inline TableIndex TableOfSlot(int slot) {
    return TableIndex{slot / kSlotsPerTable};
}
inline const char* SlotExtension(int slot) {
    return kTableExtensions[static_cast<std::size_t>(slot % kSlotsPerTable)];
}
inline const char* SlotTemplateName(int slot) {
    return TableAt(TableOfSlot(slot)).templates[static_cast<std::size_t>(slot % kSlotsPerTable)];
}

enum class FieldKind { Text, Memo, Date, Amount, Choice };

// The field's place in an export record of the field's entry.
enum class ExportRole { Title, UserName, Password, Url, Notes, Attribute };

// The hint a form shows under a field (forms/FieldChecks.h gives the text).
enum class CheckKind {
    None,
    AccountNumber,   // German account number or IBAN; partner: its bank code
    BankCode,        // German bank code; partner: its account number
    CardNumber,      // payment card number
    CardExpiry,      // a card's "valid until"
    Vin,             // vehicle identification number
    ManufacturerKey, // four digits
    TypeKey,         // three characters
    TaxId,           // Steuer-Identifikationsnummer
    PensionNumber,   // Rentenversicherungsnummer
    InsuredNumber,   // Krankenversichertennummer
};

// How a field is a date for Fristen.
enum class DateRole {
    None,
    Fixed,  // always a date; described by `what`, then optionally a name the user typed
    Titled, // a date when the title the user gave it (titleId) names a deadline
};

struct DeadlineFacts {
    DateRole role = DateRole::None;
    const char* what = nullptr;      // the form's fixed text ("Kreditkarten: 2. Karte")
    int nameId = 0;                  // a field whose text names the thing, 0 for none
    const char* nameLabel = nullptr; // put before that text ("Inhaber"), or nullptr
    int bankId = 0;                  // the card's bank, 0 for none
    // A calendar's title for the day: what happens, "<Name>" standing for the text of
    // eventNameId (the bank, the device, the vehicle), or for the row when that is blank.
    const char* event = nullptr;
    int eventNameId = 0;
};

struct FieldFacts {
    int category;
    int id;
    FieldKind kind;
    int chars;         // what the edit control admits: 47, 19, or 0 (a memo, no limit)
    const char* label; // as the user and the screen reader read it on the form
    const char* entry; // the row of the form the field belongs to ("Kreditkarten: 1. Karte")
    bool secret = false;
    ExportRole role = ExportRole::Attribute;
    CheckKind check = CheckKind::None;
    int partner = 0; // the field the check reads as well, 0 for none
    int titleId = 0; // a field whose text the user wrote as this field's title, 0 for none
    DeadlineFacts deadline = {};
};

// One form's category.
struct CategoryInfo {
    int number;        // 1..8, 10, 11
    TableIndex table;  // the table holding its fields
    const char* title; // the form's title
};

// Every category in number order.
std::span<const CategoryInfo> Categories();
// The categories a table holds, in number order.
std::vector<int> CategoriesOf(TableIndex table);
// nullptr for a number that is no category.
const CategoryInfo* FindCategory(int number);
// The form's title, "" for no category.
const char* CategoryTitle(int number);

// Every field in category order, ids ascending.
std::span<const FieldFacts> AllFields();
// The fields of one category, ids ascending; empty for an unknown one.
std::span<const FieldFacts> FieldsOf(int category);
// nullptr for an id that is no field of the category.
const FieldFacts* FindField(int category, int id);

// Whether the field holds a secret (a PIN, a card's secret number, a password): masked where
// the emergency folder is printed masked, never shown in Fristen, hidden in search and Konflikte.
bool IsMaskedField(int category, int id);

// "E<n>_<k>"
std::string FieldName(int n, int k);
// The field's label; when titleId is set and titles holds a non-blank first line for it,
// that line (the title the user wrote beside the field).
std::string FieldLabel(const FieldFacts& field, const std::string* title = nullptr);
