#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// Text folded for searching, the way a German writes it down: case, accents and ß folded (ß as
// ss), the separators inside a number dropped (blanks, dashes, dots and slashes between two
// digits) and a German number's international prefix (+49 or 0049 at the start of a number) as
// its leading 0.
//
// Umlauts have two spellings, so every text folds twice: "plain" writes ä, ö, ü as a, o, u and
// "german" as ae, oe, ue. Each byte of a folded text knows the byte in the source text where the
// character it came from starts, so a match in the folded text marks the source.
struct FoldedText {
    std::string plain;
    std::string german;
    std::vector<uint32_t> plainOrigin;  // per byte of plain: source offset
    std::vector<uint32_t> germanOrigin; // per byte of german: source offset
};

// Folds UTF-8 text (expected in NFC, see ComposedText). Holds ICU's transliterators and what
// they made of every character seen so far, so folding much text costs little beyond one pass.
// Not thread-safe.
class TextFolder {
public:
    TextFolder();
    ~TextFolder();
    TextFolder(const TextFolder&) = delete;
    TextFolder& operator=(const TextFolder&) = delete;

    FoldedText Fold(std::string_view text);
    // Only the plain spelling (for one spelling of a query, say).
    std::string FoldPlain(std::string_view text);
    std::string FoldGerman(std::string_view text);

private:
    struct Folding {
        std::string plain;
        std::string german;
    };
    const Folding& FoldCharacter(char32_t c);
    void FoldInto(std::string_view text, bool german, std::string& out,
                  std::vector<uint32_t>* origin);

    struct Transliterators;
    std::unique_ptr<Transliterators> m_icu;
    std::unordered_map<char32_t, Folding> m_cache;
};

// The text in Unicode's composed form (NFC), so a decomposed "u" and diaeresis is one "ü";
// invalid UTF-8 comes back with U+FFFD in place of what is not readable.
std::string ComposedText(std::string_view text);

// The byte length of the UTF-8 character that starts with byte lead (1 for anything else).
int Utf8Length(unsigned char lead);
