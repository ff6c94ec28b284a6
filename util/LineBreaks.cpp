#include "util/LineBreaks.h"

#include <algorithm>

std::string CrLfLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size() + static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) +
                static_cast<size_t>(std::count(text.begin(), text.end(), '\r')));
    size_t i = 0;
    while (i < text.size()) {
        size_t brk = text.find_first_of("\r\n", i);
        if (brk == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, brk - i));
        out.append("\r\n", 2);
        i = brk + (text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n' ? 2 : 1);
    }
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
