#include "util/NumberChecks.h"

#include <algorithm>
#include <iterator>
#include <span>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool IsAlnum(char c) {
    return IsDigit(c) || IsUpper(c);
}

// The remainder mod 97 of the number the IBAN stands for: the first four characters moved to
// the end, each letter replaced by its two digits (A = 10 ... Z = 35).
int IbanRemainder(std::string_view iban) {
    int rest = 0;
    const size_t n = iban.size();
    for (size_t k = 0; k < n; ++k) {
        const char c = iban[(k + 4) % n];
        if (IsDigit(c))
            rest = (rest * 10 + (c - '0')) % 97;
        else
            rest = (rest * 100 + (c - 'A' + 10)) % 97;
    }
    return rest;
}

int PrefixOf(std::string_view digits, size_t length) {
    if (digits.size() < length)
        return -1;
    int value = 0;
    for (size_t i = 0; i < length; ++i)
        value = value * 10 + (digits[i] - '0');
    return value;
}

} // namespace

std::string CompactCode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    return out;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

bool LooksLikeIban(std::string_view text) {
    const std::string code = CompactCode(text);
    if (code.size() < 15 || code.size() > 34)
        return false;
    return IsUpper(code[0]) && IsUpper(code[1]) && IsDigit(code[2]) && IsDigit(code[3]) &&
           std::all_of(code.begin() + 4, code.end(), IsAlnum);
}

bool IbanValid(std::string_view text) {
    return LooksLikeIban(text) && IbanRemainder(CompactCode(text)) == 1;
}

std::string GermanIban(std::string_view blz, std::string_view account) {
    const std::string bank = CompactCode(blz);
    const std::string number = CompactCode(account);
    if (bank.size() != 8 || !AllDigits(bank) || number.size() > 10 || !AllDigits(number))
        return {};
    const std::string bban = bank + std::string(10 - number.size(), '0') + number;
    const int check = 98 - IbanRemainder("DE00" + bban);
    return "DE" + std::to_string(check / 10) + std::to_string(check % 10) + bban;
}

std::string IbanGroups(std::string_view iban) {
    const std::string code = CompactCode(iban);
    std::string out;
    for (size_t i = 0; i < code.size(); ++i) {
        if (i > 0 && i % 4 == 0)
            out.push_back(' ');
        out.push_back(code[i]);
    }
    return out;
}

std::string CardDigits(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (IsDigit(c))
            digits.push_back(c);
        else if (c != ' ' && c != '-')
            return {};
    }
    return digits.size() >= 12 && digits.size() <= 19 ? digits : std::string();
}

bool LuhnValid(std::string_view digits) {
    if (!AllDigits(digits))
        return false;
    int sum = 0;
    bool twice = false;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        int d = *it - '0';
        if (twice)
            d = d * 2 > 9 ? d * 2 - 9 : d * 2;
        sum += d;
        twice = !twice;
    }
    return sum % 10 == 0;
}

CardIssuer IssuerOf(std::string_view digits) {
    if (!AllDigits(digits))
        return CardIssuer::Unknown;
    const int two = PrefixOf(digits, 2);
    const int four = PrefixOf(digits, 4);
    if (digits[0] == '4')
        return CardIssuer::Visa;
    if ((two >= 51 && two <= 55) || (four >= 2221 && four <= 2720))
        return CardIssuer::Mastercard;
    if (two == 34 || two == 37)
        return CardIssuer::AmericanExpress;
    return CardIssuer::Unknown;
}

const char* IssuerName(CardIssuer issuer) {
    switch (issuer) {
    case CardIssuer::Visa:
        return "Visa";
    case CardIssuer::Mastercard:
        return "Mastercard";
    case CardIssuer::AmericanExpress:
        return "American Express";
    case CardIssuer::Unknown:
        break;
    }
    return "";
}

VinFault CheckVin(std::string_view text) {
    const std::string code = CompactCode(text);
    if (!std::all_of(code.begin(), code.end(), IsAlnum))
        return VinFault::OtherCharacter;
    if (code.find_first_of("IOQ") != std::string::npos)
        return VinFault::ForbiddenLetter;
    return code.size() == 17 ? VinFault::None : VinFault::Length;
}

bool ManufacturerKeyValid(std::string_view text) {
    const std::string code = CompactCode(text);
    return code.size() == 4 && AllDigits(code);
}

bool TypeKeyValid(std::string_view text) {
    const std::string code = CompactCode(text);
    return code.size() == 3 && std::all_of(code.begin(), code.end(), IsAlnum);
}

namespace {

int DigitSum(int n) {
    return n / 10 + n % 10;
}

// The weighted digit sums of the digits, modulo 10.
int WeightedCheck(std::string_view digits, std::span<const int> weights) {
    int sum = 0;
    for (size_t i = 0; i < digits.size(); ++i)
        sum += DigitSum((digits[i] - '0') * weights[i % weights.size()]);
    return sum % 10;
}

// "J" as "10": the letter's place in the alphabet, two digits.
std::string LetterDigits(char letter) {
    const int place = letter - 'A' + 1;
    return {static_cast<char>('0' + place / 10), static_cast<char>('0' + place % 10)};
}

} // namespace

IdFault CheckTaxId(std::string_view text) {
    const std::string code = CompactCode(text);
    if (code.size() != 11 || !AllDigits(code) || code[0] == '0')
        return IdFault::Shape;
    int counts[10] = {};
    for (size_t i = 0; i < 10; ++i)
        ++counts[code[i] - '0'];
    const int repeated = static_cast<int>(
        std::count_if(std::begin(counts), std::end(counts), [](int n) { return n > 1; }));
    const int most = *std::max_element(std::begin(counts), std::end(counts));
    bool threeInARow = false;
    for (size_t i = 2; i < 10; ++i)
        threeInARow = threeInARow || (code[i] == code[i - 1] && code[i] == code[i - 2]);
    if (repeated != 1 || most > 3 || threeInARow)
        return IdFault::Repetition;
    int product = 10;
    for (size_t i = 0; i < 10; ++i) {
        int sum = (code[i] - '0' + product) % 10;
        product = ((sum == 0 ? 10 : sum) * 2) % 11;
    }
    const int check = (11 - product) % 10;
    return code[10] - '0' == check ? IdFault::None : IdFault::CheckDigit;
}

IdFault CheckPensionNumber(std::string_view text) {
    const std::string code = CompactCode(text);
    if (code.size() != 12 || !AllDigits(code.substr(0, 8)) || code[8] < 'A' || code[8] > 'Z' ||
        !AllDigits(code.substr(9)))
        return IdFault::Shape;
    static constexpr int kWeights[] = {2, 1, 2, 5, 7, 1, 2, 1, 2, 1, 2, 1};
    const std::string digits = code.substr(0, 8) + LetterDigits(code[8]) + code.substr(9, 2);
    return WeightedCheck(digits, kWeights) == code[11] - '0' ? IdFault::None : IdFault::CheckDigit;
}

IdFault CheckInsuredNumber(std::string_view text) {
    const std::string code = CompactCode(text);
    if (code.size() != 10 || code[0] < 'A' || code[0] > 'Z' || !AllDigits(code.substr(1)))
        return IdFault::Shape;
    static constexpr int kWeights[] = {1, 2};
    const std::string digits = LetterDigits(code[0]) + code.substr(1, 8);
    return WeightedCheck(digits, kWeights) == code[9] - '0' ? IdFault::None : IdFault::CheckDigit;
}
