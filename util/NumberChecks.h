#pragma once

#include <string>
#include <string_view>

// Check-digit and shape checks of numbers people copy from cards and papers: IBANs, German
// account numbers, payment cards, vehicle identification numbers and the German vehicle keys.
// Pure functions of the text; blanks (and for cards hyphens) between the characters are allowed.

// The text without blanks, letters in upper case.
std::string CompactCode(std::string_view text);
// Whether the text is nothing but one or more ASCII digits.
bool AllDigits(std::string_view text);

// Two letters, two digits, then 11 to 30 letters or digits (blanks ignored): the text means to
// be an IBAN, whatever its check digits.
bool LooksLikeIban(std::string_view text);
// An IBAN shape whose check digits pass the ISO 7064 mod 97-10 check.
bool IbanValid(std::string_view text);
// The German IBAN of a bank code (8 digits) and an account number (1 to 10 digits, padded to
// ten with leading zeros): "DE", the check digits, BLZ, account. Empty when either is not one.
std::string GermanIban(std::string_view blz, std::string_view account);
// An IBAN as it is printed: groups of four characters separated by blanks.
std::string IbanGroups(std::string_view iban);

enum class CardIssuer { Unknown, Visa, Mastercard, AmericanExpress };
// The card number's digits when it is 12 to 19 digits, blanks and hyphens between them
// allowed; empty otherwise.
std::string CardDigits(std::string_view text);
// The Luhn sum of a string of digits is a multiple of ten.
bool LuhnValid(std::string_view digits);
// The issuer the number's prefix stands for: 4 Visa, 51-55 and 2221-2720 Mastercard, 34 and
// 37 American Express.
CardIssuer IssuerOf(std::string_view digits);
const char* IssuerName(CardIssuer issuer);

enum class VinFault { None, Length, ForbiddenLetter, OtherCharacter };
// A vehicle identification number: 17 letters and digits without I, O and Q. Its ninth
// character is a check digit only in some markets, so it is not checked.
VinFault CheckVin(std::string_view text);
// The manufacturer key of German vehicle papers: four digits.
bool ManufacturerKeyValid(std::string_view text);
// The type key: three letters or digits.
bool TypeKeyValid(std::string_view text);

// The German numbers of the Vorsorge block: what is wrong with one, if anything.
enum class IdFault { None, Shape, Repetition, CheckDigit };
// Steuer-Identifikationsnummer: 11 digits, no leading 0; among the first ten one digit occurs
// twice or three times (never three in a row) and every other at most once; the eleventh is
// the ISO/IEC 7064 MOD 11,10 check digit of the first ten.
IdFault CheckTaxId(std::string_view text);
// Rentenversicherungsnummer: area (2 digits), birth date (6), the birth name's initial, serial
// (2), check digit: the letter as its two-digit place in the alphabet, the digits weighted
// 2 1 2 5 7 1 2 1 2 1 2 1, the products' digit sums added, modulo 10.
IdFault CheckPensionNumber(std::string_view text);
// Krankenversichertennummer: a letter and nine digits, the last the check digit: the letter as
// its two-digit place, the digits weighted 1 2 1 2 ..., the products' digit sums added, mod 10.
IdFault CheckInsuredNumber(std::string_view text);
