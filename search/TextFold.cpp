#include "search/TextFold.h"

#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// What does not count between two digits: "0170/123 45-6.7".
bool IsNumberSeparator(char c) {
    return c == ' ' || c == '-' || c == '.' || c == '/';
}

std::unique_ptr<icu::Transliterator> MakeTransliterator(const char* id) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createInstance(
        icu::UnicodeString(id, -1, US_INV), UTRANS_FORWARD, status));
    return U_SUCCESS(status) ? std::move(t) : nullptr;
}

std::string FoldWith(icu::Transliterator* t, char32_t c) {
    icu::UnicodeString u(static_cast<UChar32>(c));
    if (t != nullptr)
        t->transliterate(u);
    else
        u.foldCase();
    std::string out;
    u.toUTF8String(out);
    return out;
}

// "+49" or "0049" before the rest of a number becomes the number's leading 0, in place.
void InternationalPrefixes(std::string& text, std::vector<uint32_t>* origin) {
    const size_t n = text.size();
    size_t w = 0;
    for (size_t r = 0; r < n;) {
        size_t skip = 0;
        const bool runStart = r == 0 || !IsDigit(text[r - 1]);
        if (text[r] == '+' && r + 3 < n && text[r + 1] == '4' && text[r + 2] == '9' &&
            IsDigit(text[r + 3]))
            skip = 3;
        else if (runStart && r + 4 < n && text.compare(r, 4, "0049") == 0 && IsDigit(text[r + 4]))
            skip = 4;
        if (origin != nullptr)
            (*origin)[w] = (*origin)[r];
        text[w++] = skip > 0 ? '0' : text[r];
        r += skip > 0 ? skip : 1;
    }
    text.resize(w);
    if (origin != nullptr)
        origin->resize(w);
}

} // namespace

struct TextFolder::Transliterators {
    std::unique_ptr<icu::Transliterator> plain =
        MakeTransliterator("Any-Latin; Latin-ASCII; Any-Lower");
    std::unique_ptr<icu::Transliterator> german =
        MakeTransliterator("de-ASCII; Any-Latin; Latin-ASCII; Any-Lower");
};

TextFolder::TextFolder() : m_icu(std::make_unique<Transliterators>()) {}

TextFolder::~TextFolder() = default;

const TextFolder::Folding& TextFolder::FoldCharacter(char32_t c) {
    auto it = m_cache.find(c);
    if (it == m_cache.end()) {
        Folding f{FoldWith(m_icu->plain.get(), c), FoldWith(m_icu->german.get(), c)};
        it = m_cache.emplace(c, std::move(f)).first;
    }
    return it->second;
}

void TextFolder::FoldInto(std::string_view text, bool german, std::string& out,
                          std::vector<uint32_t>* origin) {
    out.reserve(text.size());
    if (origin != nullptr)
        origin->reserve(text.size());
    // Separators after a digit wait: a digit next drops them, anything else lets them in.
    std::string pending;
    std::vector<uint32_t> pendingOrigin;
    bool afterDigit = false;
    auto emit = [&](char ch, uint32_t from) {
        out.push_back(ch);
        if (origin != nullptr)
            origin->push_back(from);
    };
    auto flush = [&] {
        for (size_t k = 0; k < pending.size(); ++k)
            emit(pending[k], pendingOrigin[k]);
        pending.clear();
        pendingOrigin.clear();
    };
    const int32_t n = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < n;) {
        const auto from = static_cast<uint32_t>(i);
        const auto lead = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
        std::string_view piece;
        char ascii = 0;
        if (lead < 0x80) {
            ascii = static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead + ('a' - 'A') : lead);
            piece = std::string_view(&ascii, 1);
            ++i;
        } else {
            UChar32 c = 0;
            U8_NEXT_OR_FFFD(text.data(), i, n, c);
            const Folding& f = FoldCharacter(static_cast<char32_t>(c));
            piece = german ? f.german : f.plain;
        }
        for (char ch : piece) {
            if (afterDigit && IsNumberSeparator(ch)) {
                pending.push_back(ch);
                pendingOrigin.push_back(from);
                continue;
            }
            if (IsDigit(ch)) {
                pending.clear();
                pendingOrigin.clear();
            } else {
                flush();
            }
            emit(ch, from);
            afterDigit = IsDigit(ch);
        }
    }
    flush();
    InternationalPrefixes(out, origin);
}

FoldedText TextFolder::Fold(std::string_view text) {
    FoldedText folded;
    FoldInto(text, false, folded.plain, &folded.plainOrigin);
    FoldInto(text, true, folded.german, &folded.germanOrigin);
    return folded;
}

std::string TextFolder::FoldPlain(std::string_view text) {
    std::string out;
    FoldInto(text, false, out, nullptr);
    return out;
}

std::string TextFolder::FoldGerman(std::string_view text) {
    std::string out;
    FoldInto(text, true, out, nullptr);
    return out;
}

std::string ComposedText(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        return std::string(text);
    const icu::StringPiece piece(text.data(), static_cast<int32_t>(text.size()));
    if (nfc->isNormalizedUTF8(piece, status) && U_SUCCESS(status))
        return std::string(text);
    status = U_ZERO_ERROR;
    std::string out;
    icu::StringByteSink<std::string> sink(&out, static_cast<int32_t>(text.size()));
    nfc->normalizeUTF8(0, piece, sink, nullptr, status);
    return U_SUCCESS(status) ? out : std::string(text);
}

int Utf8Length(unsigned char lead) {
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}
