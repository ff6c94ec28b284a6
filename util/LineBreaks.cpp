#include "util/LineBreaks.h"

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
