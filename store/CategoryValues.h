#pragma once

#include <map>
#include <string>
#include <utility>

// The text of every field of a category in the logged-in user's open tables, by id (memo line
// breaks as the tables keep them). A category whose table is not open gives no values; false
// when an open table cannot be read.
bool ReadCategoryValues(int category, std::map<int, std::string>& values);

// Writes texts into the logged-in user's open tables, keyed by (category, id): one edit and one
// post per table, as a form stores its fields. All or nothing: when a table cannot be written,
// the tables written before it get their previous values back. False when nothing is open, a
// key is no field, or a table could not be written. The caller saves the document.
bool WriteCategoryValues(const std::map<std::pair<int, int>, std::string>& values);
