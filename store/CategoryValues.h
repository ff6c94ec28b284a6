#pragma once

#include <map>
#include <string>

// Every field of a category (id to text, memos with CR LF) as the logged-in user's open tables
// hold it. A category whose table is not open gives no values. False when an open table cannot
// be read.
bool ReadCategoryValues(int category, std::map<int, std::string>& values);
