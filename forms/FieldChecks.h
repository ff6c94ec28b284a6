#pragma once

#include "catalogue/FieldCatalogue.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class BankDirectory;

// The hints of the checked fields: bank connections, payment cards and vehicle papers. Which
// field is checked, and against which partner, is the field catalogue's check column. A check
// only ever gives a hint: nothing here blocks OK or changes a stored value.

// Every field with a check, in catalogue order.
std::vector<std::reference_wrapper<const FieldFacts>> FieldChecks();
// The field when it has a check, else nullptr.
const FieldFacts* FindFieldCheck(int category, int id);

enum class HintLevel { Note, Warning };

struct FieldHint {
    HintLevel level = HintLevel::Note;
    std::string text;     // one German line
    std::string copyable; // what the hint offers to copy (a derived IBAN, compact), or empty
};

// What to tell about a field's text: nothing for an empty field or one with nothing to say.
// partner is the text of the check's partner field; today is "YYYYMMDD" as a number.
std::optional<FieldHint> HintFor(const FieldFacts& check, std::string_view text,
                                 std::string_view partner, const BankDirectory& banks, int today);
