#include "forms/FieldChecks.h"
#include "store/CategorySchema.h"
#include "util/GermanBanks.h"

#include <gtest/gtest.h>

namespace {

// Two banks: one that checks its numbers (only 240334000 passes) and one whose method cannot.
class TestBanks final : public BankDirectory {
public:
    bool HasData() const override { return m_hasData; }
    std::optional<BankRecord> Find(std::string_view blz) const override {
        if (blz == "20210200")
            return BankRecord{"Bank Melli Iran", "Hamburg", "19"};
        if (blz == "12345678")
            return BankRecord{"Prüfbank", "", "99"};
        return std::nullopt;
    }
    AccountCheck Check(std::string_view blz, std::string_view account) const override {
        if (blz == "12345678")
            return AccountCheck::Unchecked;
        if (blz != "20210200")
            return AccountCheck::BankUnknown;
        return account == "240334000" || account == "0240334000" ? AccountCheck::Passed
                                                                 : AccountCheck::Failed;
    }
    bool m_hasData = true;
};

constexpr int kToday = 20261209;

struct Case {
    int category, id;
    const char* text;
    const char* partner;
    const char* hint; // nullptr: no hint
    bool warning;
};

const Case kCases[] = {
    // Bank connections.
    {1, 107, "240334000", "20210200", "IBAN: DE77 2021 0200 0240 3340 00", false},
    {1, 107, "0240 334000", "2021 0200", "IBAN: DE77 2021 0200 0240 3340 00", false},
    {1, 111, "240334001", "20210200", "Diese Kontonummer besteht die Prüfung ihrer Bank nicht.",
     true},
    {1, 115, "12", "12345678", "Für diese Bank kann die Kontonummer nicht geprüft werden.", false},
    {1, 107, "12345678901", "20210200", "Eine Kontonummer hat bis zu 10 Ziffern.", true},
    {1, 107, "12-34", "20210200", "Eine Kontonummer hat bis zu 10 Ziffern.", true},
    {1, 107, "240334001", "", nullptr, false},
    {1, 107, "240334001", "99999999", nullptr, false},
    {1, 107, "GB82 WEST 1234 5698 7654 32", "", "IBAN, Prüfziffern stimmen.", false},
    {1, 107, "GB82 WEST 1234 5698 7654 33", "20210200",
     "Die Prüfziffern dieser IBAN stimmen nicht.", true},
    {1, 107, "DE12", "", "Eine IBAN hat 15 bis 34 Zeichen: Land, Prüfziffern und Konto.", true},
    {1, 108, "20210200", "1", "Bank Melli Iran, Hamburg", false},
    {1, 112, "12345678", "", "Prüfbank", false},
    {1, 116, "99999999", "1", "Diese BLZ ist nicht bekannt.", true},
    {1, 108, "2021020", "1", "Eine BLZ hat 8 Ziffern.", true},
    {1, 108, "   ", "1", nullptr, false},
    // Credit cards.
    {3, 114, "4111 1111 1111 1111", "", "Karte von Visa.", false},
    {3, 118, "2720-9900-0000-0007", "", "Karte von Mastercard.", false},
    {3, 122, "3782 822463 10005", "", "Karte von American Express.", false},
    {3, 126, "6011 1111 1111 1117", "", nullptr, false},
    {3, 114, "4111 1111 1111 1112", "", "Die Prüfziffer dieser Kartennummer stimmt nicht.", true},
    {3, 114, "4111", "", "Eine Kartennummer hat 12 bis 19 Ziffern.", true},
    {3, 116, "11/26", "", "Diese Karte ist abgelaufen.", true},
    {3, 120, "12/26", "", nullptr, false},
    {3, 124, "01/2027", "", nullptr, false},
    {3, 128, "12.2025", "", "Diese Karte ist abgelaufen.", true},
    {3, 116, "8.12.2026", "", "Diese Karte ist abgelaufen.", true},
    {3, 120, "9.12.2026", "", nullptr, false},
    {3, 124, "Dez. 2026", "", nullptr, false},
    {3, 128, "bald", "", "Dieses Datum ist nicht lesbar.", true},
    // The cheque cards' fields are not checked.
    {3, 106, "4111", "", nullptr, false},
    // Car papers.
    {10, 101, "0603", "", nullptr, false},
    {10, 101, "603", "", "Die Herstellerschlüsselnummer hat 4 Ziffern.", true},
    {10, 102, "ABC", "", nullptr, false},
    {10, 102, "ABCD", "", "Die Typschlüsselnummer hat 3 Buchstaben oder Ziffern.", true},
    {10, 106, "WVWZZZ1KZ6W123456", "", nullptr, false},
    {10, 106, "WVWZZZ1KZ6W12345", "", "Eine Fahrzeug-Identifizierungsnummer hat 17 Zeichen.", true},
    {10, 106, "WVWZZZ1KZ6O123456", "",
     "In einer Fahrzeug-Identifizierungsnummer kommen I, O und Q nicht vor.", true},
};

} // namespace

TEST(FieldChecksTest, HintsForEveryKindOfField) {
    const TestBanks banks;
    for (const Case& c : kCases) {
        const FieldCheck* check = FindFieldCheck(c.category, c.id);
        std::optional<FieldHint> hint;
        if (check)
            hint = HintFor(*check, c.text, c.partner, banks, kToday);
        if (!c.hint) {
            EXPECT_FALSE(hint) << c.category << "/" << c.id << " " << c.text << ": " << hint->text;
            continue;
        }
        ASSERT_TRUE(hint) << c.category << "/" << c.id << " " << c.text;
        EXPECT_EQ(hint->text, c.hint) << c.text;
        EXPECT_EQ(hint->level == HintLevel::Warning, c.warning) << c.text;
    }
    // The IBAN derived from a passing pair is what is offered for copying.
    const auto derived = HintFor(*FindFieldCheck(1, 107), "240334000", "20210200", banks, kToday);
    EXPECT_EQ(derived->copyable, "DE77 2021 0200 0240 3340 00");
    // Without bank data no code looks unknown and no account fails.
    TestBanks empty;
    empty.m_hasData = false;
    EXPECT_FALSE(HintFor(*FindFieldCheck(1, 116), "99999999", "", empty, kToday));
    EXPECT_FALSE(HintFor(*FindFieldCheck(1, 107), "240334001", "20210200", empty, kToday));
}

// Every checked field is a single-line field of its category, paired both ways.
TEST(FieldChecksTest, CheckedFieldsExistAndPairUp) {
    for (const FieldCheck& c : FieldChecks()) {
        EXPECT_GT(FieldCharLimit(c.category, c.id), 0) << c.category << "/" << c.id;
        if (c.partner != 0) {
            const FieldCheck* partner = FindFieldCheck(c.category, c.partner);
            ASSERT_NE(partner, nullptr) << c.id;
            EXPECT_EQ(partner->partner, c.id);
        }
    }
}
