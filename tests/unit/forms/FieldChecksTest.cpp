#include "forms/FieldChecks.h"
#include "store/CategorySchema.h"
#include "util/GermanBanks.h"

#include <gtest/gtest.h>

namespace {

// One bank, whose only passing account is 240334000; without data it knows nothing.
class TestBanks final : public BankDirectory {
public:
    bool HasData() const override { return m_hasData; }
    std::optional<BankRecord> Find(std::string_view blz) const override {
        if (blz != "20210200")
            return std::nullopt;
        return BankRecord{"Bank Melli Iran", "Hamburg", "19"};
    }
    AccountCheck Check(std::string_view blz, std::string_view account) const override {
        if (blz != "20210200")
            return AccountCheck::BankUnknown;
        return account == "240334000" ? AccountCheck::Passed : AccountCheck::Failed;
    }
    bool m_hasData = true;
};

struct Case {
    int category, id;
    const char *text, *partner;
    const char* hint; // nullptr: no hint
    bool warning;
};

const Case kCases[] = {
    {1, 107, "240 334 000", "2021 0200", "IBAN (abgeleitet): DE77 2021 0200 0240 3340 00", false},
    {1, 111, "240334001", "20210200", "Diese Kontonummer besteht die Prüfung ihrer Bank nicht.",
     true},
    {1, 115, "12345678901", "20210200", "Eine Kontonummer hat bis zu 10 Ziffern.", true},
    {1, 107, "240334001", "", nullptr, false},
    {1, 107, "240334001", "99999999", nullptr, false},
    {1, 107, "gb82 west 1234 5698 7654 32", "", "IBAN, Prüfziffern stimmen.", false},
    {1, 107, "GB82 WEST 1234 5698 7654 33", "20210200",
     "Die Prüfziffern dieser IBAN stimmen nicht.", true},
    {1, 107, "DE12", "", "Eine IBAN hat 15 bis 34 Zeichen: Land, Prüfziffern und Konto.", true},
    {1, 108, "20210200", "1", "Bank Melli Iran, Hamburg", false},
    {1, 116, "99999999", "1", "Diese BLZ ist nicht bekannt.", true},
    {1, 112, "2021020", "1", "Eine BLZ hat 8 Ziffern.", true},
    {1, 108, "   ", "1", nullptr, false},
    {3, 118, "4111 1111 1111 1111", "", "Karte von Visa.", false},
    {3, 126, "6011 1111 1111 1117", "", nullptr, false},
    {3, 122, "4111 1111 1111 1112", "", "Die Prüfziffer dieser Kartennummer stimmt nicht.", true},
    {3, 114, "4111", "", "Eine Kartennummer hat 12 bis 19 Ziffern.", true},
    {3, 106, "4111", "", nullptr, false}, // a cheque card's number is not checked
    {3, 116, "11/26", "", "Diese Karte ist abgelaufen.", true},
    {3, 120, "12/26", "", nullptr, false},
    {3, 124, "8.12.2026", "", "Diese Karte ist abgelaufen.", true},
    {3, 128, "bald", "", "Dieses Datum ist nicht lesbar.", true},
    {10, 101, "0603", "", nullptr, false},
    {10, 101, "603", "", "Die Herstellerschlüsselnummer hat 4 Ziffern.", true},
    {10, 102, "ABCD", "", "Die Typschlüsselnummer hat 3 Buchstaben oder Ziffern.", true},
    {10, 106, "WVWZZZ1KZ6W123456", "", nullptr, false},
    {10, 106, "WVWZZZ1KZ6O123456", "",
     "In einer Fahrzeug-Identifizierungsnummer kommen I, O und Q nicht vor.", true},
};

} // namespace

TEST(FieldChecksTest, HintsForEveryKindOfField) {
    constexpr int kToday = 20261209;
    TestBanks banks;
    for (const Case& c : kCases) {
        const FieldFacts* check = FindFieldCheck(c.category, c.id);
        const auto hint = check ? HintFor(*check, c.text, c.partner, banks, kToday) : std::nullopt;
        ASSERT_EQ(hint.has_value(), c.hint != nullptr) << c.id << " " << c.text;
        if (hint) {
            EXPECT_EQ(hint->text, c.hint) << c.text;
            EXPECT_EQ(hint->level == HintLevel::Warning, c.warning) << c.text;
        }
    }
    // Without bank data no code looks unknown and no account fails.
    banks.m_hasData = false;
    EXPECT_FALSE(HintFor(*FindFieldCheck(1, 116), "99999999", "", banks, kToday));
    EXPECT_FALSE(HintFor(*FindFieldCheck(1, 107), "240334001", "20210200", banks, kToday));
}

// Every checked field is a single-line field of its category, paired both ways.
TEST(FieldChecksTest, CheckedFieldsExistAndPairUp) {
    for (const FieldFacts& c : FieldChecks()) {
        EXPECT_GT(FieldCharLimit(c.category, c.id), 0) << c.category << "/" << c.id;
        const FieldFacts* partner = c.partner ? FindFieldCheck(c.category, c.partner) : nullptr;
        EXPECT_EQ(partner ? partner->partner : 0, c.partner ? c.id : 0) << c.id;
    }
}
