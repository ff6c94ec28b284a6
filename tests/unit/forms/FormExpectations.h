#pragma once

// What each category form must be, written down independently of the code's own catalogue.

#include <map>
#include <ostream>
#include <string>
#include <vector>

struct Place {
    int x, y, cx, cy;
    bool operator==(const Place&) const = default;
};

struct ExpectedForm {
    int command;
    std::string templateName;
    std::string title;
    int cx, cy;
    bool firstTable;
    std::string prefix;
    int first, last; // field ids
    std::vector<int> memo;
    std::vector<int> shortIds;
    std::vector<int> tabOrder; // 1 = OK, 2 = Cancel
    std::string tile;
    std::string okUp, okDown, cancelUp, cancelDown;
    bool yellow;
    Place ok, cancel;
    std::map<int, Place> fields;
    std::vector<std::string> labels; // every label and heading text of the form
    std::vector<int> noScroll;       // single-line fields that do not scroll
};

// Parametrised tests name a form by its template, not by a dump of its bytes.
inline void PrintTo(const ExpectedForm& form, std::ostream* os) {
    *os << form.templateName;
}

const std::vector<ExpectedForm>& ExpectedForms();
