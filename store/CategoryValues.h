#pragma once

#include <map>
#include <string>

// The text of every field of a category in the logged-in user's open tables, by id (memo line
// breaks as the tables keep them). A category whose table is not open gives no values; false
// when an open table cannot be read.
bool ReadCategoryValues(int category, std::map<int, std::string>& values);
