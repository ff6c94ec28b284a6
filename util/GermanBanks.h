#pragma once

#include <optional>
#include <string>
#include <string_view>

// The German banks by bank code (BLZ): name, place and each bank's own check-digit method for
// account numbers. The checks of util/NumberChecks.h take a directory through this interface,
// so they can be tried with a directory of a test's own.
struct BankRecord {
    std::string name;   // UTF-8
    std::string place;  // UTF-8
    std::string method; // the check-digit method's code, e.g. "63"
};

enum class AccountCheck {
    Passed,
    Failed,      // the number fails the bank's check-digit method
    Unchecked,   // the bank's method cannot say
    BankUnknown, // no bank has that code
};

class BankDirectory {
public:
    virtual ~BankDirectory() = default;
    // Whether the directory holds any bank; without data every code would look unknown.
    virtual bool HasData() const = 0;
    // The bank of a code of 8 digits.
    virtual std::optional<BankRecord> Find(std::string_view blz) const = 0;
    // The account number (digits only) checked by the method of the bank with that code.
    virtual AccountCheck Check(std::string_view blz, std::string_view account) const = 0;
};

// The bank data installed with libktoblzcheck, read at the first call.
const BankDirectory& GermanBanks();
// Where that library looks for its bank data, for messages.
std::string GermanBankDataFolder();

// The German IBAN derived from a bank code and an account number that passes its bank's check;
// empty for any other pair. Blanks in either are ignored.
std::string DerivedGermanIban(const BankDirectory& banks, std::string_view blz,
                              std::string_view account);
