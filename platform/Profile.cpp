#include "platform/Profile.h"

#include "platform/FileServices.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

// One line of the file without its line end.
struct Line {
    std::string_view text;
    size_t begin = 0; // offset of the line in the file
    size_t end = 0;   // offset just past the line end
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        size_t stop = nl == std::string::npos ? text.size() : nl;
        size_t next = nl == std::string::npos ? text.size() : nl + 1;
        std::string_view body(text.data() + pos, stop - pos);
        if (!body.empty() && body.back() == '\r') {
            body.remove_suffix(1);
        }
        lines.push_back({body, pos, next});
        pos = next;
    }
    return lines;
}

// The name of a "[name]" header line; false for any other line.
bool SectionName(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') {
        return false;
    }
    size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return false;
    }
    name = Trim(line.substr(1, close - 1));
    return true;
}

// Splits a "key=value" line; false for comments, blank lines and lines without '='.
bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') {
        return false;
    }
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        return false;
    }
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return true;
}

std::string Unquote(std::string_view v) {
    if (v.size() >= 2 &&
        ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\''))) {
        v = v.substr(1, v.size() - 2);
    }
    return std::string(v);
}

bool ReadWholeFile(const std::string& path, std::string& text, bool& missing) {
    missing = false;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        missing = errno == ENOENT;
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

bool FindProfileValue(const std::string& text, const std::string& section, const std::string& key,
                      std::string& value) {
    std::string_view wantSection = Trim(section);
    std::string_view wantKey = Trim(key);
    bool inSection = false;
    for (const Line& line : SplitLines(text)) {
        std::string_view name;
        if (SectionName(line.text, name)) {
            inSection = EqualNoCase(name, wantSection);
            continue;
        }
        std::string_view k;
        std::string_view v;
        if (inSection && KeyValue(line.text, k, v) && EqualNoCase(k, wantKey)) {
            value = Unquote(v);
            return true;
        }
    }
    return false;
}

std::string SetProfileValue(const std::string& text, const std::string& section,
                            const std::string& key, const std::string& value) {
    std::string_view wantSection = Trim(section);
    std::string_view wantKey = Trim(key);
    std::string newLine = std::string(wantKey) + "=" + value;
    std::vector<Line> lines = SplitLines(text);

    bool inSection = false;
    bool sectionSeen = false;
    size_t insertAt = std::string::npos; // just past the last key line of the first section
    for (const Line& line : lines) {
        std::string_view name;
        if (SectionName(line.text, name)) {
            if (inSection) {
                break; // only the first matching section is searched and extended
            }
            inSection = EqualNoCase(name, wantSection);
            if (inSection) {
                sectionSeen = true;
                insertAt = line.end;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        std::string_view k;
        std::string_view v;
        if (KeyValue(line.text, k, v)) {
            if (EqualNoCase(k, wantKey)) {
                std::string out = text.substr(0, line.begin);
                out += newLine;
                out += text.substr(line.begin + line.text.size());
                return out;
            }
            insertAt = line.end;
        }
    }

    std::string out = text;
    if (sectionSeen) {
        std::string insert = newLine + "\n";
        if (insertAt > 0 && out[insertAt - 1] != '\n') {
            insert = "\n" + insert; // the last line of the file had no line end
        }
        out.insert(insertAt, insert);
        return out;
    }
    if (!out.empty() && out.back() != '\n') {
        out += '\n';
    }
    if (!out.empty()) {
        out += '\n';
    }
    out += "[" + std::string(wantSection) + "]\n" + newLine + "\n";
    return out;
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& file) {
    std::string text;
    bool missing = false;
    if (!ReadWholeFile(file, text, missing)) {
        return def;
    }
    std::string value;
    return FindProfileValue(text, section, key, value) ? value : def;
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& file) {
    std::string text;
    bool missing = false;
    if (!ReadWholeFile(file, text, missing)) {
        return def;
    }
    std::string value;
    if (!FindProfileValue(text, section, key, value)) {
        return def;
    }
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
        negative = value[i] == '-';
        ++i;
    }
    long long n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        if (n < 10'000'000'000LL) {
            n = n * 10 + (value[i] - '0');
        }
    }
    if (negative) {
        n = -n;
    }
    if (n > 2147483647LL) {
        n = 2147483647LL;
    }
    if (n < -2147483648LL) {
        n = -2147483648LL;
    }
    return static_cast<int>(n);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file) {
    return WritePrivateProfileStrings({{section, key, value}}, file);
}

bool WritePrivateProfileStrings(const std::vector<ProfileEntry>& entries, const std::string& file) {
    if (file.empty()) {
        return false;
    }
    for (const ProfileEntry& e : entries) {
        if (Trim(e.section).empty() || Trim(e.key).empty() ||
            e.value.find_first_of("\r\n") != std::string::npos ||
            e.key.find_first_of("=\r\n") != std::string::npos ||
            std::string_view(";#[").find(Trim(e.key).front()) != std::string_view::npos ||
            e.section.find_first_of("]\r\n") != std::string::npos) {
            return false;
        }
    }
    std::string text;
    bool missing = false;
    if (!ReadWholeFile(file, text, missing) && !missing) {
        return false;
    }
    for (const ProfileEntry& e : entries) {
        text = SetProfileValue(text, e.section, e.key, e.value);
    }
    return AtomicWriteFile(file, text);
}
