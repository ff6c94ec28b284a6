#include "platform/Profile.h"

#include "platform/file/AtomicFile.h"
#include "platform/file/FileReader.h"

#include <optional>
#include <unordered_map>
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

// section + '\n' + key, both in lower case: the index of a value.
std::string LowerKey(std::string_view section, std::string_view key) {
    std::string out;
    out.reserve(section.size() + key.size() + 1);
    for (char c : section) {
        out.push_back(Lower(c));
    }
    out.push_back('\n');
    for (char c : key) {
        out.push_back(Lower(c));
    }
    return out;
}

// The value as the line holds it: quoted when reading would otherwise change it (blanks at
// its ends trimmed, or a pair of quotes around it removed).
std::string Quoted(const std::string& value) {
    if (value.empty()) {
        return value;
    }
    if (IsBlank(value.front()) || IsBlank(value.back()) || Unquote(value) != value) {
        return "\"" + value + "\"";
    }
    return value;
}

using ProfileValues = std::unordered_map<std::string, std::string>;

// Every value of the text by LowerKey(section, key); the first one in the text wins.
ProfileValues IndexValues(const std::string& text) {
    ProfileValues values;
    std::string_view section;
    bool inSection = false;
    for (const Line& line : SplitLines(text)) {
        std::string_view name;
        if (SectionName(line.text, name)) {
            section = name;
            inSection = true;
            continue;
        }
        std::string_view k;
        std::string_view v;
        if (inSection && KeyValue(line.text, k, v)) {
            values.emplace(LowerKey(section, k), Unquote(v));
        }
    }
    return values;
}

} // namespace

bool FindProfileValue(const std::string& text, const std::string& section, const std::string& key,
                      std::string& value) {
    const ProfileValues values = IndexValues(text);
    const auto it = values.find(LowerKey(Trim(section), Trim(key)));
    if (it == values.end()) {
        return false;
    }
    value = it->second;
    return true;
}

std::string SetProfileValue(const std::string& text, const std::string& section,
                            const std::string& key, const std::string& value) {
    return SetProfileValues(text, {{section, key, value}});
}

std::string SetProfileValues(const std::string& text, const std::vector<ProfileEntry>& entries) {
    const std::vector<Line> lines = SplitLines(text);
    // Edits by line of the text: a new content for the line, and new key lines after it.
    std::vector<std::optional<std::string>> replaced(lines.size());
    std::vector<std::vector<std::string>> after(lines.size());
    // A section the entries write to: the first of its name in the text, or a new one at the end.
    struct Section {
        std::string name;
        size_t anchor = 0; // line after which new keys go (existing sections)
        std::vector<std::string> added;
        // Lower-case key: the line of the text (index) or of added (index + lines.size()).
        std::unordered_map<std::string, size_t> keys;
    };
    std::vector<Section> existing;
    std::vector<Section> appended;
    std::unordered_map<std::string, std::pair<bool, size_t>> byName; // appended?, index
    {
        Section* current = nullptr;
        for (size_t i = 0; i < lines.size(); ++i) {
            std::string_view name;
            if (SectionName(lines[i].text, name)) {
                current = nullptr;
                const std::string lower = LowerKey(name, {});
                if (!byName.count(lower)) {
                    byName[lower] = {false, existing.size()};
                    existing.push_back({std::string(name), i, {}, {}});
                    current = &existing.back();
                }
                continue;
            }
            std::string_view k;
            std::string_view v;
            if (current && KeyValue(lines[i].text, k, v)) {
                current->keys.emplace(LowerKey({}, k), i);
                current->anchor = i;
            }
        }
    }
    for (const ProfileEntry& e : entries) {
        const std::string_view sectionName = Trim(e.section);
        const std::string_view key = Trim(e.key);
        std::string newLine = std::string(key) + "=" + Quoted(e.value);
        const std::string lower = LowerKey(sectionName, {});
        auto found = byName.find(lower);
        if (found == byName.end()) {
            found = byName.emplace(lower, std::make_pair(true, appended.size())).first;
            appended.push_back({std::string(sectionName), 0, {}, {}});
        }
        Section& section =
            found->second.first ? appended[found->second.second] : existing[found->second.second];
        const auto slot = section.keys.find(LowerKey({}, key));
        if (slot == section.keys.end()) {
            section.keys.emplace(LowerKey({}, key), lines.size() + section.added.size());
            section.added.push_back(std::move(newLine));
        } else if (slot->second >= lines.size()) {
            section.added[slot->second - lines.size()] = std::move(newLine);
        } else {
            replaced[slot->second] = std::move(newLine);
        }
    }
    for (Section& section : existing) {
        after[section.anchor] = std::move(section.added);
    }
    std::string out;
    out.reserve(text.size() + entries.size() * 32);
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        const size_t endStart = line.begin + line.text.size();
        out += replaced[i] ? std::string_view(*replaced[i]) : line.text;
        out.append(text, endStart, line.end - endStart);
        if (!after[i].empty() && out.back() != '\n') {
            out += '\n'; // the last line of the file had no line end
        }
        for (const std::string& added : after[i]) {
            out += added + '\n';
        }
    }
    for (const Section& section : appended) {
        if (!out.empty() && out.back() != '\n') {
            out += '\n';
        }
        if (!out.empty()) {
            out += '\n';
        }
        out += "[" + section.name + "]\n";
        for (const std::string& added : section.added) {
            out += added + '\n';
        }
    }
    return out;
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& file) {
    return TProfileSnapshot(file).String(section, key, def);
}

TProfileSnapshot::TProfileSnapshot(const std::string& file)
    : m_values(IndexValues(ReadWholeFile(file).bytes)) {} // no values when it cannot be read

std::string TProfileSnapshot::String(const std::string& section, const std::string& key,
                                     const std::string& def) const {
    const auto it = m_values.find(LowerKey(Trim(section), Trim(key)));
    return it == m_values.end() ? def : it->second;
}

int TProfileSnapshot::Int(const std::string& section, const std::string& key, int def) const {
    const auto it = m_values.find(LowerKey(Trim(section), Trim(key)));
    if (it == m_values.end()) {
        return def;
    }
    const std::string& value = it->second;
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

int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& file) {
    return TProfileSnapshot(file).Int(section, key, def);
}

bool IsStorableProfileValue(const std::string& value) {
    return value.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
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
        if (Trim(e.section).empty() || Trim(e.key).empty() || !IsStorableProfileValue(e.value) ||
            e.key.find_first_of("=\r\n") != std::string::npos ||
            std::string_view(";#[").find(Trim(e.key).front()) != std::string_view::npos ||
            e.section.find_first_of("]\r\n") != std::string::npos) {
            return false;
        }
    }
    const WholeFile old = ReadWholeFile(file);
    if (!old && old.fault != ReadFault::Missing) {
        return false;
    }
    return AtomicWriteFile(file, SetProfileValues(old.bytes, entries));
}
