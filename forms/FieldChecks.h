#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

class BankDirectory;

// Which form fields are checked, and how: bank connections, payment cards and vehicle papers.
// A check only ever gives a hint: nothing here blocks OK or changes a stored value.
enum class FieldCheckKind {
    AccountNumber,   // German account number or IBAN; partner: its bank code
    BankCode,        // German bank code; partner: its account number
    CardNumber,      // payment card number
    CardExpiry,      // a card's "valid until"
    Vin,             // vehicle identification number
    ManufacturerKey, // four digits
    TypeKey,         // three characters
};

struct FieldCheck {
    int category;
    int id;
    FieldCheckKind kind;
    int partner; // the field the check reads as well, 0 for none
};

std::span<const FieldCheck> FieldChecks();
const FieldCheck* FindFieldCheck(int category, int id);

enum class HintLevel { Note, Warning };

struct FieldHint {
    HintLevel level = HintLevel::Note;
    std::string text;     // one German line
    std::string copyable; // what the hint offers to copy (a derived IBAN, compact), or empty
};

// What to tell about a field's text: nothing for an empty field or one with nothing to say.
// partner is the text of the check's partner field; today is "YYYYMMDD" as a number.
std::optional<FieldHint> HintFor(const FieldCheck& check, std::string_view text,
                                 std::string_view partner, const BankDirectory& banks, int today);
