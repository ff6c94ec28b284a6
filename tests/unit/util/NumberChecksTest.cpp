#include "util/NumberChecks.h"
#include "util/GermanBanks.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>

namespace {

constexpr int kSamples = 1000;

std::mt19937& Random() {
    static std::mt19937 random(31);
    return random;
}

int Uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(Random());
}

std::string RandomDigits(int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out.push_back(static_cast<char>('0' + Uniform(0, 9)));
    return out;
}

// An IBAN of any country: random letters, a BBAN of digits and a few letters, its check digits.
std::string RandomIban() {
    std::string country{static_cast<char>('A' + Uniform(0, 25)),
                        static_cast<char>('A' + Uniform(0, 25))};
    std::string bban = RandomDigits(Uniform(11, 30));
    if (Uniform(0, 1) == 1)
        bban[static_cast<size_t>(Uniform(0, 3))] = static_cast<char>('A' + Uniform(0, 25));
    for (int check = 0; check < 100; ++check) {
        const std::string iban =
            country + std::to_string(check / 10) + std::to_string(check % 10) + bban;
        if (IbanValid(iban))
            return iban;
    }
    return {};
}

std::string RandomCard() {
    const int length = Uniform(12, 19);
    std::string body = RandomDigits(length - 1);
    for (char check = '0'; check <= '9'; ++check) {
        if (LuhnValid(body + check))
            return body + check;
    }
    return {};
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

struct Counts {
    int valid = 0, wrongDigit = 0, swapped = 0;
};

// Every sample passes; every one-digit change and every swap of two different neighbouring
// digits fails, except where swapMayPass allows it. Counts what was tried.
Counts Mutations(const std::vector<std::string>& samples, bool (*check)(std::string_view),
                 bool (*swapMayPass)(char, char)) {
    Counts counts;
    for (const std::string& s : samples) {
        EXPECT_TRUE(check(s)) << s;
        ++counts.valid;
        for (size_t i = 0; i < s.size(); ++i) {
            if (!IsDigit(s[i]))
                continue;
            for (char d = '0'; d <= '9'; ++d) {
                if (d == s[i])
                    continue;
                std::string wrong = s;
                wrong[i] = d;
                EXPECT_FALSE(check(wrong)) << s << " -> " << wrong;
                ++counts.wrongDigit;
            }
            if (i + 1 < s.size() && IsDigit(s[i + 1]) && s[i] != s[i + 1]) {
                std::string swapped = s;
                std::swap(swapped[i], swapped[i + 1]);
                if (!swapMayPass(s[i], s[i + 1])) {
                    EXPECT_FALSE(check(swapped)) << s << " -> " << swapped;
                }
                ++counts.swapped;
            }
        }
    }
    return counts;
}

bool Never(char, char) {
    return false;
}

bool ZeroNine(char a, char b) {
    return (a == '0' && b == '9') || (a == '9' && b == '0');
}

bool Luhn(std::string_view digits) {
    return LuhnValid(digits);
}

bool Iban(std::string_view text) {
    return IbanValid(text);
}

} // namespace

TEST(NumberChecksTest, GeneratedIbansAndTheirMistakes) {
    std::vector<std::string> samples;
    for (int i = 0; i < kSamples; ++i) {
        // German ones from bank code and account, the others of any country.
        const std::string blz = RandomDigits(8);
        const std::string account = RandomDigits(Uniform(1, 10));
        const std::string german = GermanIban(blz, account);
        ASSERT_EQ(german.size(), 22u);
        EXPECT_EQ(german.substr(0, 2) + german.substr(4),
                  "DE" + blz + std::string(10 - account.size(), '0') + account);
        samples.push_back(german);
        samples.push_back(RandomIban());
    }
    const Counts counts = Mutations(samples, Iban, Never);
    std::cout << "IBAN samples: " << counts.valid << " valid, " << counts.wrongDigit
              << " with one wrong digit, " << counts.swapped << " with swapped neighbours\n";
    // Blanks and lower case as people write them.
    EXPECT_TRUE(IbanValid("de89 3704 0044 0532 0130 00"));
    EXPECT_EQ(IbanGroups("DE89370400440532013000"), "DE89 3704 0044 0532 0130 00");
    EXPECT_EQ(GermanIban("37040044", "532013000"), "DE89370400440532013000");
    for (const char* bad : {"", "DE89", "DE89 3704 0044 0532 0130 00 1234 5678 9012 3",
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
        samples.push_back(RandomCard());
    const Counts counts = Mutations(samples, Luhn, ZeroNine);
    std::cout << "Card samples: " << counts.valid << " valid, " << counts.wrongDigit
              << " with one wrong digit, " << counts.swapped << " with swapped neighbours\n";

    EXPECT_EQ(CardDigits("4111 1111-1111 1111"), "4111111111111111");
    for (const char* bad : {"4111 1111 111", "4111/1111/1111/1111", "41111111111111111111"})
        EXPECT_EQ(CardDigits(bad), "") << bad;
    struct Issuer {
        const char* number;
        CardIssuer issuer;
    };
    for (const Issuer& c : {Issuer{"4111111111111111", CardIssuer::Visa},
                            {"5105105105105100", CardIssuer::Mastercard},
                            {"2221000000000009", CardIssuer::Mastercard},
                            {"2720990000000007", CardIssuer::Mastercard},
                            {"2220990000000008", CardIssuer::Unknown},
                            {"2721000000000004", CardIssuer::Unknown},
                            {"5610591081018250", CardIssuer::Unknown},
                            {"378282246310005", CardIssuer::AmericanExpress},
                            {"341111111111111", CardIssuer::AmericanExpress},
                            {"6011111111111117", CardIssuer::Unknown}})
        EXPECT_EQ(IssuerOf(c.number), c.issuer) << c.number;
}

TEST(NumberChecksTest, VehicleNumbers) {
    const std::string allowed = "ABCDEFGHJKLMNPRSTUVWXYZ0123456789";
    for (int i = 0; i < kSamples; ++i) {
        std::string vin;
        for (int k = 0; k < 17; ++k)
            vin.push_back(allowed[static_cast<size_t>(Uniform(0, 32))]);
        EXPECT_EQ(CheckVin(vin), VinFault::None) << vin;
        std::string forbidden = vin;
        forbidden[static_cast<size_t>(Uniform(0, 16))] = "IOQ"[Uniform(0, 2)];
        EXPECT_EQ(CheckVin(forbidden), VinFault::ForbiddenLetter) << forbidden;
        EXPECT_EQ(CheckVin(vin.substr(0, 16)), VinFault::Length);
        EXPECT_EQ(CheckVin(vin + "1"), VinFault::Length);
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
                                 << ": install its data package; bank names and account checks "
                                    "cannot be tested without it";
    struct Pair {
        const char* blz;
        const char* account;
        const char* bank;
        const char* place;
        const char* iban;
    };
    for (const Pair& p :
         {Pair{"20210200", "0240334000", "Bank Melli Iran", "Hamburg", "DE77202102000240334000"},
          {"56061472", "0000191919", "Volksbank Hunsrück-Nahe", "Simmern",
           "DE78560614720000191919"}}) {
        const std::optional<BankRecord> bank = banks.Find(p.blz);
        ASSERT_TRUE(bank) << p.blz;
        EXPECT_EQ(bank->name, p.bank);
        EXPECT_EQ(bank->place, p.place);
        EXPECT_EQ(banks.Check(p.blz, p.account), AccountCheck::Passed) << p.blz;
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
