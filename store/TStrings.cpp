#include "store/TStrings.h"

std::string TStrings::Text() const {
    std::string text;
    for (const auto& line : m_lines) {
        text += line;
        text.append("\r\n", 2);
    }
    return text;
}
