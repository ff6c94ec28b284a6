#include "engine/SqlStatement.h"

#include "engine/EngineError.h"

#include <cctype>

namespace engine {

namespace {

struct Scanner {
    const std::string& s;
    size_t i = 0;
    void skipSpace() {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n'))
            ++i;
    }
    bool keyword(const char* word) {
        skipSpace();
        size_t j = i;
        for (const char* w = word; *w; ++w, ++j) {
            if (j >= s.size() || std::toupper(static_cast<unsigned char>(s[j])) != *w)
                return false;
        }
        if (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_'))
            return false;
        i = j;
        return true;
    }
    bool symbol(char c) {
        skipSpace();
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
};

[[noreturn]] void Refuse() {
    throw EngineError(Errc::Sql, "statement not supported");
}

} // namespace

std::string ParseSelectAll(const std::string& text) {
    Scanner sc{text};
    if (!sc.keyword("SELECT") || !sc.symbol('*') || !sc.keyword("FROM") || !sc.symbol('"'))
        Refuse();
    size_t close = text.find('"', sc.i);
    if (close == std::string::npos || close == sc.i)
        Refuse();
    std::string path = text.substr(sc.i, close - sc.i);
    if (path.find_first_of("\r\n") != std::string::npos)
        Refuse();
    sc.i = close + 1;
    if (!sc.symbol(';'))
        Refuse();
    sc.skipSpace();
    if (sc.i != text.size())
        Refuse();
    return path;
}

} // namespace engine
