#pragma once

#include <map>
#include <string>

// The names a screen reader hears for a category's fields: the catalogue's label; a field the
// user titled, by that title ("Reisepass: Wert"); a label the form repeats, with its row
// ("PC-Hotline 1: Name"); whatever still repeats, with its row in brackets. texts holds the
// fields' current texts by id (only the titles are read).
std::map<int, std::string> SpokenFieldNames(int category, const std::map<int, std::string>& texts);
