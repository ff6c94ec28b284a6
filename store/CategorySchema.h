#pragma once

#include "catalogue/FieldCatalogue.h"

#include <string>
#include <vector>

// The record schema of a user's tables, as the field catalogue gives it.

// First field id of every category.
constexpr int kFirstFieldId = 100;
// Declared size of every text field, in characters.
constexpr int kTextFieldSize = 255;
// What the edit controls admit (a field's chars in the catalogue): normal and short fields.
constexpr int kNormalFieldChars = 47;
constexpr int kShortFieldChars = 19;

// The ids of category n, ascending; empty for an unknown category.
std::vector<int> FieldIds(int n);
bool IsMemoField(int n, int k);
// Characters the field's edit control admits: 47, 19, or 0 for a memo (no limit); 0 for no field.
int FieldCharLimit(int n, int k);

// One field of a table definition.
struct SchemaField {
    std::string name;
    bool memo;
    int size; // kTextFieldSize for text, 0 for memo
};
// Every field of a table, categories in number order, ids ascending.
std::vector<SchemaField> TableFields(TableIndex table);
