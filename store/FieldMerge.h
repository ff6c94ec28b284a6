#pragma once

#include "store/CategorySchema.h"

#include <cstddef>
#include <string>
#include <vector>

// The fields of a user's document, in the order the merge and its causal state use.

// One named field of a user's document.
struct DocumentField {
    int category;
    int id;
    TableIndex table;
    bool memo;
    std::string name; // "E<category>_<id>"
};

// Every field of a document in a fixed order: table by table, a later table's after the earlier
// ones' (so values of a document written before it keep their places).
const std::vector<DocumentField>& DocumentFields();
// The index of a field name in DocumentFields(); -1 for a name that is none.
int DocumentFieldIndex(const std::string& name);

// The names of DocumentFields(), in order.
const std::vector<std::string>& DocumentFieldNames();

// A value for every field, indexed like DocumentFields().
using FieldValues = std::vector<std::string>;
