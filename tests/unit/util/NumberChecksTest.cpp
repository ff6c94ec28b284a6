#include "util/NumberChecks.h"
#include "util/GermanBanks.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <random>

namespace {

constexpr int kSamples = 1000;
std::mt19937 random(31);

int Uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

std::string RandomDigits(int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out.push_back(static_cast<char>('0' + Uniform(0, 9)));
    return out;
}

// head, then the first check digits (two or one) with which head + digits + tail passes, tail.
std::string Completed(const std::string& head, const std::string& tail, int digits,
                      const std::function<bool(std::string_view)>& check) {
    for (int n = 0; n < (digits == 2 ? 100 : 10); ++n) {
        const std::string d =
            digits == 2 ? std::to_string(n / 10) + std::to_string(n % 10) : std::to_string(n);
        if (check(head + d + tail))
            return head + d + tail;
    }
    return {};
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Every sample passes; every one-digit change and every swap of two different neighbouring
// digits (but 0 and 9 where zeroNineMayPass) fails. Prints how many of each were tried.
void Mutations(const char* what, const std::vector<std::string>& samples,
               bool (*check)(std::string_view), bool zeroNineMayPass) {
    int wrongDigit = 0, swapped = 0;
    for (const std::string& s : samples) {
        ASSERT_TRUE(check(s)) << s;
        for (size_t i = 0; i < s.size(); ++i) {
            for (char d = '0'; IsDigit(s[i]) && d <= '9'; ++d) {
                std::string wrong = s;
                wrong[i] = d;
                EXPECT_EQ(check(wrong), d == s[i]) << s << " -> " << wrong;
                wrongDigit += d != s[i];
            }
            const char a = s[i], b = i + 1 < s.size() ? s[i + 1] : a;
            if (!IsDigit(a) || !IsDigit(b) || a == b || (zeroNineMayPass && a + b == '0' + '9'))
                continue;
            std::string wrong = s;
            std::swap(wrong[i], wrong[i + 1]);
            EXPECT_FALSE(check(wrong)) << s << " -> " << wrong;
            ++swapped;
        }
    }
    std::cout << what << ": " << samples.size() << " valid, " << wrongDigit
              << " with one wrong digit, " << swapped << " with swapped neighbours\n";
}

bool Iban(std::string_view text) {
    return IbanValid(text);
}

bool Luhn(std::string_view digits) {
    return LuhnValid(digits);
}

} // namespace

TEST(NumberChecksTest, GeneratedIbansAndTheirMistakes) {
    std::vector<std::string> samples;
    for (int i = 0; i < kSamples; ++i) {
        // German ones from bank code and account, the others of any country, some with letters.
        const std::string blz = RandomDigits(8), account = RandomDigits(Uniform(1, 10));
        const std::string german = GermanIban(blz, account);
        EXPECT_EQ(german.substr(0, 2) + german.substr(4),
                  "DE" + blz + std::string(10 - account.size(), '0') + account);
        samples.push_back(german);
        std::string bban = RandomDigits(Uniform(11, 30));
        bban[static_cast<size_t>(Uniform(0, 3))] = static_cast<char>('A' + Uniform(0, 25));
        const std::string country{static_cast<char>('A' + Uniform(0, 25)),
                                  static_cast<char>('A' + Uniform(0, 25))};
        samples.push_back(Completed(country, bban, 2, Iban));
    }
    Mutations("IBAN", samples, Iban, false);
    // Blanks and lower case as people write them; shapes that are no IBAN.
    EXPECT_TRUE(IbanValid("de89 3704 0044 0532 0130 00"));
    EXPECT_EQ(IbanGroups("DE89370400440532013000"), "DE89 3704 0044 0532 0130 00");
    EXPECT_EQ(GermanIban("37040044", "532013000"), "DE89370400440532013000");
    for (const char* bad : {"", "DE89", "DE89370400440532013000123456789012345",
                            "D989370400440532013000", "DE8937040044053201300!"})
        EXPECT_FALSE(IbanValid(bad)) << bad;
    for (auto [blz, account] : {std::pair{"3704004", "1"},
                                {"37040044", ""},
                                {"37040044", "12345678901"},
                                {"3704004x", "1"}})
        EXPECT_EQ(GermanIban(blz, account), "") << blz << " " << account;
}

TEST(NumberChecksTest, GeneratedCardNumbersAndTheirMistakes) {
    std::vector<std::string> samples;
    for (int i = 0; i < kSamples; ++i)
        samples.push_back(Completed(RandomDigits(Uniform(11, 18)), "", 1, Luhn));
    Mutations("Card", samples, Luhn, true);
    EXPECT_EQ(CardDigits("4111 1111-1111 1111"), "4111111111111111");
    for (const char* bad : {"4111 1111 111", "4111/1111/1111/1111", "41111111111111111111"})
        EXPECT_EQ(CardDigits(bad), "") << bad;
    using I = CardIssuer;
    for (auto [number, issuer] : {std::pair{"4111111111111111", I::Visa},
                                  {"5105105105105100", I::Mastercard},
                                  {"2221000000000009", I::Mastercard},
                                  {"2720990000000007", I::Mastercard},
                                  {"2220990000000008", I::Unknown},
                                  {"2721000000000004", I::Unknown},
                                  {"5610591081018250", I::Unknown},
                                  {"378282246310005", I::AmericanExpress},
                                  {"341111111111111", I::AmericanExpress},
                                  {"6011111111111117", I::Unknown}})
        EXPECT_EQ(IssuerOf(number), issuer) << number;
}

TEST(NumberChecksTest, GeneratedVehicleNumbers) {
    const std::string allowed = "ABCDEFGHJKLMNPRSTUVWXYZ0123456789";
    for (int i = 0; i < kSamples; ++i) {
        std::string vin;
        for (int k = 0; k < 17; ++k)
            vin.push_back(allowed[static_cast<size_t>(Uniform(0, 32))]);
        EXPECT_EQ(CheckVin(vin), VinFault::None) << vin;
        EXPECT_EQ(CheckVin(vin.substr(0, 16)), VinFault::Length);
        EXPECT_EQ(CheckVin(vin + "1"), VinFault::Length);
        vin[static_cast<size_t>(Uniform(0, 16))] = "IOQ"[Uniform(0, 2)];
        EXPECT_EQ(CheckVin(vin), VinFault::ForbiddenLetter) << vin;
    }
    // A European number whose ninth character is no check digit is not flagged.
    EXPECT_EQ(CheckVin("wvw zzz 1kz 6w 123456"), VinFault::None);
    EXPECT_EQ(CheckVin("WVWZZZ1KZ6W12345-"), VinFault::OtherCharacter);
    for (const char* key : {"0603", "0 6 0 3"})
        EXPECT_TRUE(ManufacturerKeyValid(key)) << key;
    for (const char* key : {"603", "06031", "O603", "06a3"})
        EXPECT_FALSE(ManufacturerKeyValid(key)) << key;
    for (const char* key : {"ABC", "300", "a1b"})
        EXPECT_TRUE(TypeKeyValid(key)) << key;
    for (const char* key : {"AB", "ABCD", "A-C", "ÄB"})
        EXPECT_FALSE(TypeKeyValid(key)) << key;
}

// Pairs the bank data's own documentation gives as examples, through the installed data.
TEST(NumberChecksTest, PublishedGermanTestAccounts) {
    const BankDirectory& banks = GermanBanks();
    ASSERT_TRUE(banks.HasData()) << "libktoblzcheck found no bank data in "
                                 << GermanBankDataFolder()
                                 << ": bank names and account checks cannot be tested";
    struct Pair {
        const char *blz, *account, *bank, *place, *iban;
    };
    for (const Pair& p :
         {Pair{"20210200", "0240334000", "Bank Melli Iran", "Hamburg", "DE77202102000240334000"},
          {"56061472", "0000191919", "Volksbank Hunsrück-Nahe", "Simmern",
           "DE78560614720000191919"}}) {
        const std::optional<BankRecord> bank = banks.Find(p.blz);
        ASSERT_TRUE(bank) << p.blz;
        EXPECT_EQ(bank->name + ", " + bank->place, std::string(p.bank) + ", " + p.place);
        EXPECT_EQ(DerivedGermanIban(banks, p.blz, p.account), p.iban);
        // One wrong digit fails the bank's method and derives nothing.
        std::string wrong = p.account;
        wrong.back() = wrong.back() == '0' ? '1' : '0';
        EXPECT_EQ(banks.Check(p.blz, wrong), AccountCheck::Failed) << wrong;
        EXPECT_EQ(DerivedGermanIban(banks, p.blz, wrong), "");
    }
    EXPECT_FALSE(banks.Find("99999999"));
    EXPECT_EQ(banks.Check("99999999", "1"), AccountCheck::BankUnknown);
}

// The Vorsorge numbers: the published sample tax id, a pension number and an insured person's
// number whose check digits were worked by hand, and what goes wrong with each.
TEST(NumberChecksTest, TaxIdPensionAndInsuredNumbers) {
    struct Case {
        IdFault (*check)(std::string_view);
        const char* text;
        IdFault fault;
    };
    const Case cases[] = {
        {CheckTaxId, "86095742719", IdFault::None},
        {CheckTaxId, "86 095 742 719", IdFault::None},
        {CheckTaxId, "86095742718", IdFault::CheckDigit},
        {CheckTaxId, "06095742719", IdFault::Shape},
        {CheckTaxId, "8609574271", IdFault::Shape},
        {CheckTaxId, "12345678901", IdFault::Repetition}, // no digit twice
        {CheckTaxId, "11223456789", IdFault::Repetition}, // two digits twice
        {CheckTaxId, "11123456789", IdFault::Repetition}, // three in a row
        {CheckTaxId, "11213456783", IdFault::None},       // three, not in a row
        {CheckPensionNumber, "65170839J003", IdFault::None},
        {CheckPensionNumber, "65 170839 j 003", IdFault::None},
        {CheckPensionNumber, "65170839J004", IdFault::CheckDigit},
        {CheckPensionNumber, "651708391003", IdFault::Shape},
        {CheckInsuredNumber, "A123456780", IdFault::None},
        {CheckInsuredNumber, "A123456781", IdFault::CheckDigit},
        {CheckInsuredNumber, "1234567890", IdFault::Shape},
        {CheckInsuredNumber, "A12345678", IdFault::Shape},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.check(c.text), c.fault) << c.text;
}
