#pragma once

#include <array>
#include <string>
#include <vector>

// The record schema of a user's two tables: which category lives in which table, the field ids of
// every category, and the six table files (slots) with their template files.

// Which of the user's two tables holds a category.
enum class TableIndex { First = 0, Second = 1 };

struct CategoryInfo {
    int number;                // 1..8, 10
    TableIndex table;          // the table holding its fields
    int fieldCount;            // ids 100 .. 99 + fieldCount
    std::vector<int> memoIds;  // fields of any length, several lines
    std::vector<int> shortIds; // fields whose edit control admits 19 characters
};

// First field id of every category.
constexpr int kFirstFieldId = 100;
// Declared size of every text field, in characters.
constexpr int kTextFieldSize = 255;
// What the edit controls admit: normal and short text fields.
constexpr int kNormalFieldChars = 47;
constexpr int kShortFieldChars = 19;
// Fields per table.
constexpr int kFirstTableFieldCount = 209;
constexpr int kSecondTableFieldCount = 107;

// Categories 1..8 and 10, in number order.
const std::vector<CategoryInfo>& Categories();
// nullptr for a number that is no category (0, 9, 11, ...).
const CategoryInfo* FindCategory(int number);

// "E<n>_<k>"
std::string FieldName(int n, int k);
// The ids of category n: 100 .. 99 + fieldCount; empty for an unknown category.
std::vector<int> FieldIds(int n);
bool IsMemoField(int n, int k);
bool IsShortField(int n, int k);
// Characters the field's edit control admits: 47, 19, or 0 for a memo (no limit).
int FieldCharLimit(int n, int k);

// One field of a table definition.
struct SchemaField {
    std::string name;
    bool memo;
    int size; // kTextFieldSize for text, 0 for memo
};
// Every field of a table, categories in number order, ids ascending.
std::vector<SchemaField> TableFields(TableIndex table);

// The six files of a document: slots 0..2 first table .DB .PX .MB, slots 3..5 the second's.
constexpr int kSlotCount = 6;
inline constexpr std::array<const char*, 3> kTableExtensions = {".DB", ".PX", ".MB"};
inline constexpr std::array<const char*, kSlotCount> kTemplateNames = {
    "QUILLORY 1.DAT", "QUILLORY 3.DAT", "QUILLORY 2.DAT",
    "QUILLORY 4.DAT", "QUILLORY 6.DAT", "QUILLORY 5.DAT"};
inline const char* SlotExtension(int slot) {
    return kTableExtensions[slot % 3];
}
inline const char* SlotTemplateName(int slot) {
    return kTemplateNames[slot];
}
