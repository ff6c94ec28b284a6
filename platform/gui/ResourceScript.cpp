#include "platform/gui/ResourceScript.h"

#include "platform/gui/WinStyles.h"

#include <QFile>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <unordered_map>

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool AllDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A number as C writes it: decimal, 0x hexadecimal or 0 octal, optionally negative, with any
// L/U suffix. None when that is not what the text holds or the value does not fit.
std::optional<long long> ParseNumber(std::string_view text) {
    while (!text.empty() && std::string_view("LlUu").find(text.back()) != std::string_view::npos)
        text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    int base = 10;
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && text[0] == '0') {
        base = 8;
    }
    unsigned long long magnitude = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    const unsigned long long limit =
        static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + (negative ? 1 : 0);
    if (magnitude > limit)
        return std::nullopt;
    // Two's complement turns the magnitude of the most negative value into that value.
    return static_cast<long long>(negative ? 0 - magnitude : magnitude);
}

enum class Tok { End, Ident, Number, String, Punct };

struct Token {
    Tok type = Tok::End;
    std::string text; // identifier (as written), string contents, punctuation
    long long value = 0;
    int line = 0;
};

struct ParseError : std::runtime_error {
    ParseError(int line, const std::string& what)
        : std::runtime_error("line " + std::to_string(line) + ": " + what) {}
};

// The character a backslash escape in a string stands for; none for an unknown escape, which
// stays as written.
std::optional<char> EscapedChar(char e) {
    switch (e) {
    case 'n':
        return '\n';
    case 't':
        return '\t';
    case 'r':
        return '\r';
    case 'a':
        return '\a';
    case '\\':
        return '\\';
    case '"':
        return '"';
    case '0':
        return '\0';
    default:
        return std::nullopt;
    }
}

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Splits a resource script into tokens; #define lines with a number go into defines, other
// directives and comments are skipped.
class Tokenizer {
public:
    Tokenizer(std::string_view text, std::unordered_map<std::string, long long>& defines)
        : m_text(text), m_defines(defines) {}

    std::vector<Token> Run() {
        std::vector<Token> out;
        while (m_pos < m_text.size()) {
            if (SkipBlankOrComment() || SkipDirective())
                continue;
            m_lineStart = false;
            out.push_back(NextToken());
        }
        Token end;
        end.line = m_line;
        out.push_back(end);
        return out;
    }

private:
    bool At(size_t k, char c) const { return k < m_text.size() && m_text[k] == c; }

    bool SkipBlankOrComment() {
        const char c = m_text[m_pos];
        if (c == '\n') {
            ++m_line;
            ++m_pos;
            m_lineStart = true;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++m_pos;
        } else if (c == '/' && At(m_pos + 1, '/')) {
            while (m_pos < m_text.size() && m_text[m_pos] != '\n')
                ++m_pos;
        } else if (c == '/' && At(m_pos + 1, '*')) {
            SkipBlockComment();
        } else {
            return false;
        }
        return true;
    }

    void SkipBlockComment() {
        const int startLine = m_line;
        m_pos += 2;
        while (m_pos + 1 < m_text.size() && !(m_text[m_pos] == '*' && m_text[m_pos + 1] == '/')) {
            if (m_text[m_pos] == '\n')
                ++m_line;
            ++m_pos;
        }
        if (m_pos + 1 >= m_text.size())
            throw ParseError(startLine, "unterminated comment");
        m_pos += 2;
    }

    // A directive at the start of a line, up to its end; a #define of a number is kept.
    bool SkipDirective() {
        if (m_text[m_pos] != '#' || !m_lineStart)
            return false;
        size_t e = m_text.find('\n', m_pos);
        if (e == std::string_view::npos)
            e = m_text.size();
        const std::string directive(m_text.substr(m_pos + 1, e - m_pos - 1));
        if (directive.rfind("define", 0) == 0) {
            char name[128] = {};
            char value[128] = {};
            if (std::sscanf(directive.c_str() + 6, " %127[A-Za-z0-9_] %127[-A-Za-z0-9_]", name,
                            value) == 2) {
                if (const auto v = ParseNumber(value))
                    m_defines[Upper(name)] = *v;
            }
        }
        m_pos = e;
        return true;
    }

    Token NextToken() {
        Token t;
        t.line = m_line;
        const char c = m_text[m_pos];
        if (c == '"') {
            t.type = Tok::String;
            t.text = ReadString();
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '-' && m_pos + 1 < m_text.size() &&
                    std::isdigit(static_cast<unsigned char>(m_text[m_pos + 1])))) {
            t.type = Tok::Number;
            t.text = ReadWord();
            // An identifier made of digits and letters (e.g. a name starting with a digit) is
            // not allowed: numbers only.
            const auto value = ParseNumber(t.text);
            if (!value)
                throw ParseError(m_line, "bad number '" + t.text + "'");
            t.value = *value;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            t.type = Tok::Ident;
            t.text = ReadWord();
        } else {
            t.type = Tok::Punct;
            t.text = std::string(1, c);
            ++m_pos;
        }
        return t;
    }

    // The first character and the word characters after it.
    std::string ReadWord() {
        size_t j = m_pos + 1;
        while (j < m_text.size() && IsWordChar(m_text[j]))
            ++j;
        std::string word(m_text.substr(m_pos, j - m_pos));
        m_pos = j;
        return word;
    }

    // A quoted string on one line: "" is a quote, backslash escapes as in C.
    std::string ReadString() {
        const int startLine = m_line;
        std::string text;
        ++m_pos;
        for (;;) {
            if (m_pos >= m_text.size() || m_text[m_pos] == '\n')
                throw ParseError(startLine, "unterminated string");
            const char d = m_text[m_pos];
            if (d == '"' && At(m_pos + 1, '"')) {
                text += '"';
                m_pos += 2;
            } else if (d == '"') {
                ++m_pos;
                return text;
            } else if (d == '\\' && m_pos + 1 < m_text.size()) {
                if (const auto e = EscapedChar(m_text[m_pos + 1]))
                    text += *e;
                else
                    text.append(m_text.substr(m_pos, 2));
                m_pos += 2;
            } else {
                text += d;
                ++m_pos;
            }
        }
    }

    std::string_view m_text;
    std::unordered_map<std::string, long long>& m_defines;
    size_t m_pos = 0;
    int m_line = 1;
    bool m_lineStart = true;
};

std::vector<Token> Tokenize(std::string_view s,
                            std::unordered_map<std::string, long long>& defines) {
    return Tokenizer(s, defines).Run();
}

} // namespace

ResId::ResId(std::string text) {
    // Digits beyond the range of a number stay a name.
    if (AllDigits(text) &&
        std::from_chars(text.data(), text.data() + text.size(), number).ec == std::errc())
        return;
    number = -1;
    name = Upper(std::move(text));
}

namespace {

// The styles every control of a template has.
constexpr uint32_t kControlBaseStyle = WS_CHILD | WS_VISIBLE;

// The control statements of their own keyword: kind, class and default style.
struct PlainControl {
    const char* word;
    ControlKind kind;
    const char* cls;
    uint32_t defaults;
    bool hasText;
};
const PlainControl kPlainControls[] = {
    {"LTEXT", ControlKind::Static, "Static", SS_LEFT | WS_GROUP, true},
    {"CTEXT", ControlKind::Static, "Static", SS_CENTER | WS_GROUP, true},
    {"RTEXT", ControlKind::Static, "Static", SS_RIGHT | WS_GROUP, true},
    {"EDITTEXT", ControlKind::Edit, "Edit", ES_LEFT | WS_BORDER | WS_TABSTOP, false},
    {"GROUPBOX", ControlKind::Button, "Button", BS_GROUPBOX, true},
    {"PUSHBUTTON", ControlKind::Button, "Button", BS_PUSHBUTTON | WS_TABSTOP, true},
    {"DEFPUSHBUTTON", ControlKind::Button, "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, true},
    {"LISTBOX", ControlKind::ListBox, "ListBox", LBS_NOTIFY | WS_BORDER, false},
    {"COMBOBOX", ControlKind::ComboBox, "ComboBox", WS_TABSTOP, false},
    {"AUTOCHECKBOX", ControlKind::Button, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, true},
    {"CHECKBOX", ControlKind::Button, "Button", BS_CHECKBOX | WS_TABSTOP, true},
    {"AUTORADIOBUTTON", ControlKind::Button, "Button", BS_AUTORADIOBUTTON, true},
    {"RADIOBUTTON", ControlKind::Button, "Button", BS_RADIOBUTTON, true},
};

} // namespace

class ScriptParser {
public:
    ScriptParser(std::string_view text) : m_tokens(Tokenize(text, m_defines)) {}

    ResourceScript Run() {
        ResourceScript script;
        while (Peek().type != Tok::End) {
            const Token first = Next();
            if (IsWord(first, "STRINGTABLE")) {
                SkipMemoryFlags();
                ParseStrings(script);
                continue;
            }
            if (first.type != Tok::Ident && first.type != Tok::Number && first.type != Tok::String)
                throw ParseError(first.line, "resource name expected, found '" + first.text + "'");
            if (first.type == Tok::Number && (first.value < std::numeric_limits<int>::min() ||
                                              first.value > std::numeric_limits<int>::max()))
                throw ParseError(first.line, "resource number " + first.text + " out of range");
            const ResId id =
                first.type == Tok::Number ? ResId(int(first.value)) : ResId(first.text);
            const Token kind = Next();
            if (IsWord(kind, "DIALOG") || IsWord(kind, "DIALOGEX")) {
                DialogTemplate d = ParseDialog(id, IsWord(kind, "DIALOGEX"));
                if (script.m_dialogs.count(id))
                    throw ParseError(first.line, "dialog " + id.toString() + " defined twice");
                script.m_dialogs.emplace(id, std::move(d));
            } else if (IsWord(kind, "BITMAP") || IsWord(kind, "ICON")) {
                SkipMemoryFlags();
                const Token file = Next();
                if (file.type != Tok::String)
                    throw ParseError(file.line, "file name expected");
                auto& table = IsWord(kind, "BITMAP") ? script.m_bitmaps : script.m_icons;
                table[id] = ":/" + file.text;
            } else {
                throw ParseError(kind.line, "unknown resource type '" + kind.text + "'");
            }
        }
        return script;
    }

private:
    const Token& Peek(size_t ahead = 0) const {
        return m_tokens[std::min(m_pos + ahead, m_tokens.size() - 1)];
    }
    Token Next() {
        Token t = Peek();
        if (m_pos < m_tokens.size() - 1)
            ++m_pos;
        return t;
    }
    static bool IsWord(const Token& t, const char* word) {
        return t.type == Tok::Ident && Upper(t.text) == word;
    }
    static bool IsPunct(const Token& t, char c) {
        return t.type == Tok::Punct && t.text.size() == 1 && t.text[0] == c;
    }
    bool IsBegin(const Token& t) const { return IsWord(t, "BEGIN") || IsPunct(t, '{'); }
    bool IsEnd(const Token& t) const { return IsWord(t, "END") || IsPunct(t, '}'); }
    void SkipComma() {
        if (IsPunct(Peek(), ','))
            Next();
    }
    void ExpectComma() {
        const Token t = Next();
        if (!IsPunct(t, ','))
            throw ParseError(t.line, "',' expected, found '" + t.text + "'");
    }
    void SkipMemoryFlags() {
        static const char* const kFlags[] = {"DISCARDABLE", "MOVEABLE", "FIXED",
                                             "PURE",        "IMPURE",   "PRELOAD",
                                             "LOADONCALL",  "SHARED",   "NONSHARED"};
        for (;;) {
            const Token& t = Peek();
            bool flag = false;
            for (const char* f : kFlags)
                flag = flag || IsWord(t, f);
            if (!flag)
                return;
            Next();
        }
    }

    long long Primary() {
        const Token t = Next();
        struct Nesting {
            int& depth;
            ~Nesting() { --depth; }
        } nesting{++m_depth};
        if (m_depth > kMaxNesting)
            throw ParseError(t.line, "expression nested too deeply");
        if (t.type == Tok::Number)
            return t.value;
        if (IsPunct(t, '(')) {
            const long long v = Expression();
            const Token close = Next();
            if (!IsPunct(close, ')'))
                throw ParseError(close.line, "')' expected");
            return v;
        }
        if (IsPunct(t, '-'))
            return Wrapped(0 - Unsigned(Primary()));
        if (IsPunct(t, '~'))
            return ~Primary();
        if (t.type == Tok::Ident) {
            const std::string name = Upper(t.text);
            if (auto it = m_defines.find(name); it != m_defines.end())
                return it->second;
            if (auto v = StyleConstant(name))
                return *v;
            throw ParseError(t.line, "unknown name '" + t.text + "'");
        }
        throw ParseError(t.line, "value expected, found '" + t.text + "'");
    }
    // Primaries joined by |, + and & from left to right; a minus belongs to its primary.
    long long Expression() {
        long long v = Primary();
        for (;;) {
            const Token& t = Peek();
            if (IsPunct(t, '|')) {
                Next();
                v |= Primary();
            } else if (IsPunct(t, '+')) {
                Next();
                v = Wrapped(Unsigned(v) + Unsigned(Primary()));
            } else if (IsPunct(t, '&')) {
                Next();
                v &= Primary();
            } else {
                return v;
            }
        }
    }
    int Int() { return int(Expression()); }
    // A style: terms joined by |, a term prefixed by NOT clears its bits from what was given
    // so far (and from the defaults).
    uint32_t Style(uint32_t defaults) {
        uint32_t style = defaults;
        for (;;) {
            bool negate = false;
            if (IsWord(Peek(), "NOT")) {
                Next();
                negate = true;
            }
            const uint32_t v = uint32_t(Primary());
            style = negate ? style & ~v : style | v;
            if (!IsPunct(Peek(), '|'))
                return style;
            Next();
        }
    }
    std::string Text() {
        const Token t = Next();
        if (t.type == Tok::String)
            return t.text;
        if (t.type == Tok::Number || t.type == Tok::Ident)
            return t.text;
        throw ParseError(t.line, "text expected, found '" + t.text + "'");
    }
    bool AtNumberArg() const { return IsPunct(Peek(), ','); }

    DialogTemplate ParseDialog(const ResId& id, bool extended) {
        DialogTemplate d;
        d.id = id;
        d.extended = extended;
        d.style = WS_POPUP | WS_BORDER | WS_SYSMENU;
        SkipMemoryFlags();
        d.x = Int();
        ExpectComma();
        d.y = Int();
        ExpectComma();
        d.cx = Int();
        ExpectComma();
        d.cy = Int();
        if (extended && AtNumberArg()) {
            Next();
            Int(); // help id
        }
        bool styleGiven = false;
        for (Token t = Next(); !IsBegin(t); t = Next())
            ParseDialogOption(t, d, styleGiven);
        for (;;) {
            const Token t = Peek();
            if (t.type == Tok::End)
                throw ParseError(t.line, "END of dialog " + id.toString() + " missing");
            if (IsEnd(t)) {
                Next();
                break;
            }
            d.controls.push_back(ParseControl(extended));
        }
        return d;
    }

    // One statement of a dialog's header (STYLE, CAPTION, FONT, ...), its keyword read.
    void ParseDialogOption(const Token& t, DialogTemplate& d, bool& styleGiven) {
        if (IsWord(t, "STYLE")) {
            d.style = Style(0);
            styleGiven = true;
        } else if (IsWord(t, "EXSTYLE")) {
            d.exStyle = Style(0);
        } else if (IsWord(t, "CAPTION")) {
            d.caption = Text();
            if (!styleGiven)
                d.style |= WS_CAPTION;
        } else if (IsWord(t, "FONT")) {
            d.fontSize = Int();
            ExpectComma();
            d.fontName = Text();
            while (AtNumberArg()) { // weight, italic, charset
                Next();
                Int();
            }
            d.style |= DS_SETFONT;
        } else if (IsWord(t, "CLASS")) {
            d.className = Text();
        } else if (IsWord(t, "MENU")) {
            Text();
        } else if (IsWord(t, "LANGUAGE")) {
            Int();
            ExpectComma();
            Int();
        } else if (IsWord(t, "CHARACTERISTICS") || IsWord(t, "VERSION")) {
            Int();
        } else {
            throw ParseError(t.line, "unexpected '" + t.text + "' in dialog header");
        }
    }

    ControlTemplate ParseControl(bool extended) {
        const Token kw = Next();
        if (kw.type != Tok::Ident)
            throw ParseError(kw.line, "control statement expected, found '" + kw.text + "'");
        const std::string k = Upper(kw.text);
        ControlTemplate c;
        c.line = kw.line;
        if (k == "CONTROL") {
            ParseGenericControl(c, extended);
            return c;
        }
        for (const PlainControl& p : kPlainControls) {
            if (k == p.word) {
                ParsePlainControl(c, p, extended);
                return c;
            }
        }
        throw ParseError(kw.line, "unknown control statement '" + kw.text + "'");
    }

    // CONTROL text, id, class, style, x, y, cx, cy [, exstyle [, help id]]
    void ParseGenericControl(ControlTemplate& c, bool extended) {
        c.text = Text();
        ExpectComma();
        c.id = Int();
        ExpectComma();
        c.className = Text();
        ExpectComma();
        c.style = Style(kControlBaseStyle);
        ExpectComma();
        ReadRect(c);
        if (AtNumberArg()) {
            Next();
            c.exStyle = Style(0);
        }
        if (extended && AtNumberArg()) {
            Next();
            Int();
        }
        const std::string cls = Upper(c.className);
        c.kind = cls == "STATIC"     ? ControlKind::Static
                 : cls == "EDIT"     ? ControlKind::Edit
                 : cls == "BUTTON"   ? ControlKind::Button
                 : cls == "LISTBOX"  ? ControlKind::ListBox
                 : cls == "COMBOBOX" ? ControlKind::ComboBox
                                     : ControlKind::Other;
    }

    // LTEXT, EDITTEXT, PUSHBUTTON, ...: [text,] id, x, y, cx, cy [, style [, exstyle [, help]]]
    void ParsePlainControl(ControlTemplate& c, const PlainControl& p, bool extended) {
        c.kind = p.kind;
        c.className = p.cls;
        if (p.hasText) {
            c.text = Text();
            ExpectComma();
        }
        c.id = Int();
        ExpectComma();
        ReadRect(c);
        c.style = kControlBaseStyle | p.defaults;
        if (AtNumberArg()) {
            Next();
            c.style = Style(c.style);
        }
        if (AtNumberArg()) {
            Next();
            c.exStyle = Style(0);
        }
        if (extended && AtNumberArg()) {
            Next();
            Int();
        }
    }

    void ReadRect(ControlTemplate& c) {
        c.x = Int();
        ExpectComma();
        c.y = Int();
        ExpectComma();
        c.cx = Int();
        ExpectComma();
        c.cy = Int();
    }

    void ParseStrings(ResourceScript& script) {
        const Token open = Next();
        if (!IsBegin(open))
            throw ParseError(open.line, "BEGIN expected after STRINGTABLE");
        for (;;) {
            const Token t = Peek();
            if (t.type == Tok::End)
                throw ParseError(t.line, "END of STRINGTABLE missing");
            if (IsEnd(t)) {
                Next();
                return;
            }
            const int line = t.line;
            const int id = Int();
            SkipComma();
            const Token s = Next();
            if (s.type != Tok::String)
                throw ParseError(s.line, "string expected");
            if (!script.m_strings.emplace(id, s.text).second)
                throw ParseError(line, "string " + std::to_string(id) + " defined twice");
        }
    }

    // Arithmetic wraps round rather than overflowing.
    static unsigned long long Unsigned(long long v) { return static_cast<unsigned long long>(v); }
    static long long Wrapped(unsigned long long v) { return static_cast<long long>(v); }
    // Deep enough for any real expression, shallow enough for the stack.
    static constexpr int kMaxNesting = 200;

    std::unordered_map<std::string, long long> m_defines;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    int m_depth = 0;
};

std::optional<ResourceScript> ResourceScript::Parse(std::string_view text, std::string* error) {
    try {
        ScriptParser parser(text);
        return parser.Run();
    } catch (const ParseError& e) {
        if (error)
            *error = e.what();
        return std::nullopt;
    }
}

const DialogTemplate* ResourceScript::dialog(const ResId& id) const {
    auto it = m_dialogs.find(id);
    return it == m_dialogs.end() ? nullptr : &it->second;
}

std::string ResourceScript::string(int id) const {
    auto it = m_strings.find(id);
    return it == m_strings.end() ? std::string() : it->second;
}

std::string ResourceScript::bitmapPath(std::string_view name) const {
    auto it = m_bitmaps.find(ResId(std::string(name)));
    return it == m_bitmaps.end() ? std::string() : it->second;
}

std::string ResourceScript::iconPath(int id) const {
    auto it = m_icons.find(ResId(id));
    return it == m_icons.end() ? std::string() : it->second;
}

const ResourceScript& AppResources() {
    static const ResourceScript script = [] {
        QFile file(QStringLiteral(":/quillory.rc"));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "quillory.rc: not embedded\n");
            return ResourceScript();
        }
        const QByteArray bytes = file.readAll();
        std::string error;
        auto parsed = ResourceScript::Parse(
            std::string_view(bytes.constData(), size_t(bytes.size())), &error);
        if (!parsed) {
            std::fprintf(stderr, "quillory.rc: %s\n", error.c_str());
            return ResourceScript();
        }
        return std::move(*parsed);
    }();
    return script;
}
