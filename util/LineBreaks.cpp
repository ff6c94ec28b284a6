#include "util/LineBreaks.h"

#include "platform/file/LargeBuffer.h"

#include <QByteArray>
#include <QStringEncoder>

#include <algorithm>

std::string CrLfLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    // The next CR and the next LF, each searched again only once passed.
    size_t cr = text.find('\r'), lf = text.find('\n');
    size_t i = 0;
    while (cr != std::string_view::npos || lf != std::string_view::npos) {
        const size_t brk = std::min(cr, lf);
        out.append(text.substr(i, brk - i));
        out.append("\r\n", 2);
        i = brk + (brk == cr && lf == brk + 1 ? 2 : 1);
        if (cr < i)
            cr = text.find('\r', i);
        if (lf < i)
            lf = text.find('\n', i);
    }
    out.append(text.substr(i));
    return out;
}

std::string CrLfLineBreaks(QStringView text) {
    const std::u16string_view units(text.utf16(), static_cast<size_t>(text.size()));
    // An upper bound of the result: UTF-8 lengths, one more byte per CR or LF, and the room.
    size_t bound = 2;
    bool surrogates = false;
    for (const char16_t c : units) {
        bound += c < 0x80 ? 1 + (c == u'\r' || c == u'\n') : c < 0x800 ? 2 : 3;
        surrogates |= c >= 0xD800 && c < 0xE000;
    }
    std::string out;
    ResizeLarge(out, bound);
    char* end = out.data();
    // Between breaks: the encoder's replacement of a lone surrogate differs from toUtf8's, so text
    // holding surrogates takes toUtf8 piece by piece.
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    const auto put = [&](QStringView piece) {
        if (!surrogates) {
            end = encoder.appendToBuffer(end, piece);
        } else {
            const QByteArray utf8 = piece.toUtf8();
            end = std::copy(utf8.begin(), utf8.end(), end);
        }
    };
    qsizetype cr = text.indexOf(u'\r'), lf = text.indexOf(u'\n'), i = 0;
    while (cr >= 0 || lf >= 0) {
        const qsizetype brk = cr < 0 ? lf : lf < 0 ? cr : std::min(cr, lf);
        put(text.sliced(i, brk - i));
        *end++ = '\r';
        *end++ = '\n';
        i = brk + (brk == cr && lf == brk + 1 ? 2 : 1);
        if (cr >= 0 && cr < i)
            cr = text.indexOf(u'\r', i);
        if (lf >= 0 && lf < i)
            lf = text.indexOf(u'\n', i);
    }
    put(text.sliced(i));
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}

namespace {

bool OnlyCrLfBreaks(std::string_view text) {
    for (size_t i = text.find_first_of("\r\n"); i != std::string_view::npos;
         i = text.find_first_of("\r\n", i + 2)) {
        if (text[i] == '\n' || i + 1 == text.size() || text[i + 1] != '\n')
            return false;
    }
    return true;
}

} // namespace

void MakeCrLfLineBreaks(std::string& text) {
    if (!OnlyCrLfBreaks(text))
        text = CrLfLineBreaks(text);
}

std::string LfLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        size_t cr = text.find('\r', i);
        if (cr == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, cr - i));
        out.push_back('\n');
        i = cr + (cr + 1 < text.size() && text[cr + 1] == '\n' ? 2 : 1);
    }
    return out;
}
