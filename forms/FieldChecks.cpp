#include "forms/FieldChecks.h"

#include "util/GermanBanks.h"
#include "util/GermanDate.h"
#include "util/NumberChecks.h"

#include <algorithm>

namespace {

using K = CheckKind;

FieldHint Note(std::string text) {
    return {HintLevel::Note, std::move(text), {}};
}

FieldHint Warning(std::string text) {
    return {HintLevel::Warning, std::move(text), {}};
}

bool IsBankCode(std::string_view text) {
    const std::string code = CompactCode(text);
    return code.size() == 8 && AllDigits(code);
}

std::optional<FieldHint> IbanHint(std::string_view text) {
    if (!LooksLikeIban(text))
        return Warning("Eine IBAN hat 15 bis 34 Zeichen: Land, Prüfziffern und Konto.");
    if (!IbanValid(text))
        return Warning("Die Prüfziffern dieser IBAN stimmen nicht.");
    return Note("IBAN, Prüfziffern stimmen.");
}

std::optional<FieldHint> AccountHint(std::string_view text, std::string_view blz,
                                     const BankDirectory& banks) {
    const std::string code = CompactCode(text);
    if (code.size() >= 2 && code[0] >= 'A' && code[0] <= 'Z' && code[1] >= 'A' && code[1] <= 'Z')
        return IbanHint(text);
    if (code.size() > 10 || !AllDigits(code))
        return Warning("Eine Kontonummer hat bis zu 10 Ziffern.");
    // Without a bank code, or with a wrong one, the bank code's own hint says what is missing.
    const std::string bank = CompactCode(blz);
    if (!IsBankCode(bank) || !banks.HasData())
        return std::nullopt;
    switch (banks.Check(bank, code)) {
    case AccountCheck::Passed: {
        const std::string iban = GermanIban(bank, code);
        FieldHint hint = Note("IBAN (abgeleitet): " + IbanGroups(iban));
        hint.copyable = iban;
        return hint;
    }
    case AccountCheck::Failed:
        return Warning("Diese Kontonummer besteht die Prüfung ihrer Bank nicht.");
    case AccountCheck::Unchecked:
        return Note("Für diese Bank kann die Kontonummer nicht geprüft werden.");
    case AccountCheck::BankUnknown:
        break;
    }
    return std::nullopt;
}

std::optional<FieldHint> BankCodeHint(std::string_view text, const BankDirectory& banks) {
    if (!IsBankCode(text))
        return Warning("Eine BLZ hat 8 Ziffern.");
    if (!banks.HasData())
        return std::nullopt;
    const std::optional<BankRecord> bank = banks.Find(CompactCode(text));
    if (!bank)
        return Warning("Diese BLZ ist nicht bekannt.");
    return Note(bank->place.empty() ? bank->name : bank->name + ", " + bank->place);
}

std::optional<FieldHint> CardHint(std::string_view text) {
    const std::string digits = CardDigits(text);
    if (digits.empty())
        return Warning("Eine Kartennummer hat 12 bis 19 Ziffern.");
    if (!LuhnValid(digits))
        return Warning("Die Prüfziffer dieser Kartennummer stimmt nicht.");
    const CardIssuer issuer = IssuerOf(digits);
    if (issuer == CardIssuer::Unknown)
        return std::nullopt;
    return Note(std::string("Karte von ") + IssuerName(issuer) + ".");
}

// A card is valid through the day its "Gültig bis:" names, a month alone through its last day.
std::optional<FieldHint> ExpiryHint(std::string_view text, int today) {
    const std::optional<CalendarDate> until = ParseGermanDate(text);
    if (!until)
        return Warning("Dieses Datum ist nicht lesbar.");
    const CalendarDate now{today / 10000, today / 100 % 100, today % 100};
    if (*until < now)
        return Warning("Diese Karte ist abgelaufen.");
    return std::nullopt;
}

std::optional<FieldHint> VinHint(std::string_view text) {
    switch (CheckVin(text)) {
    case VinFault::Length:
        return Warning("Eine Fahrzeug-Identifizierungsnummer hat 17 Zeichen.");
    case VinFault::ForbiddenLetter:
        return Warning("In einer Fahrzeug-Identifizierungsnummer kommen I, O und Q nicht vor.");
    case VinFault::OtherCharacter:
        return Warning("Eine Fahrzeug-Identifizierungsnummer hat nur Buchstaben und Ziffern.");
    case VinFault::None:
        break;
    }
    return std::nullopt;
}

// What is wrong with a number of the Vorsorge block, told with what it should be.
std::optional<FieldHint> IdHint(IdFault fault, const char* shape, const char* name) {
    switch (fault) {
    case IdFault::Shape:
        return Warning(shape);
    case IdFault::Repetition:
        return Warning("In den ersten zehn Ziffern der Steuer-ID kommt genau eine Ziffer zwei- "
                       "oder dreimal vor.");
    case IdFault::CheckDigit:
        return Warning(std::string("Die Pr\xC3\xBC"
                                   "fziffer der ") +
                       name + " stimmt nicht: bitte vergleichen.");
    case IdFault::None:
        break;
    }
    return std::nullopt;
}

} // namespace

std::vector<std::reference_wrapper<const FieldFacts>> FieldChecks() {
    std::vector<std::reference_wrapper<const FieldFacts>> checked;
    for (const FieldFacts& f : AllFields())
        if (f.check != CheckKind::None)
            checked.push_back(f);
    return checked;
}

const FieldFacts* FindFieldCheck(int category, int id) {
    const FieldFacts* f = FindField(category, id);
    return f && f->check != CheckKind::None ? f : nullptr;
}

std::optional<FieldHint> HintFor(const FieldFacts& check, std::string_view text,
                                 std::string_view partner, const BankDirectory& banks, int today) {
    if (CompactCode(text).empty())
        return std::nullopt;
    switch (check.check) {
    case K::AccountNumber:
        return AccountHint(text, partner, banks);
    case K::BankCode:
        return BankCodeHint(text, banks);
    case K::CardNumber:
        return CardHint(text);
    case K::CardExpiry:
        return ExpiryHint(text, today);
    case K::Vin:
        return VinHint(text);
    case K::ManufacturerKey:
        if (!ManufacturerKeyValid(text))
            return Warning("Die Herstellerschlüsselnummer hat 4 Ziffern.");
        break;
    case K::TypeKey:
        if (!TypeKeyValid(text))
            return Warning("Die Typschlüsselnummer hat 3 Buchstaben oder Ziffern.");
        break;
    case K::TaxId:
        return IdHint(CheckTaxId(text),
                      "Die Steuer-Identifikationsnummer hat 11 Ziffern, die erste ist keine 0.",
                      "Steuer-ID");
    case K::PensionNumber:
        return IdHint(
            CheckPensionNumber(text),
            "Die Rentenversicherungsnummer hat 8 Ziffern, einen Buchstaben und 3 Ziffern.",
            "Rentenversicherungsnummer");
    case K::InsuredNumber:
        return IdHint(CheckInsuredNumber(text),
                      "Die Versichertennummer ist ein Buchstabe und 9 Ziffern.",
                      "Versichertennummer");
    case K::None:
        break;
    }
    return std::nullopt;
}
