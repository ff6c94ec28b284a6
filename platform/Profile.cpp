#include "platform/Profile.h"

#include "platform/file/AtomicFile.h"
#include "platform/file/FileReader.h"
#include "platform/file/PathParts.h"

#include <optional>
#include <unordered_map>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// SetProfileValues in steps: the text's sections indexed, each entry applied as a replaced
// line or an added key, then the text written with the edits.
class ProfileEdit {
public:
    explicit ProfileEdit(const std::string& text)
        : m_text(text), m_lines(SplitLines(text)), m_replaced(m_lines.size()) {
        IndexSections();
    }

    void Apply(const ProfileEntry& e) {
        const std::string_view key = Trim(e.key);
        std::string newLine = std::string(key) + "=" + Quoted(e.value);
        Section& section = SectionNamed(Trim(e.section));
        const auto slot = section.keys.find(LowerKey({}, key));
        if (slot == section.keys.end()) {
            section.keys.emplace(LowerKey({}, key), m_lines.size() + section.added.size());
            section.added.push_back(std::move(newLine));
        } else if (slot->second >= m_lines.size()) {
            section.added[slot->second - m_lines.size()] = std::move(newLine);
        } else {
            m_replaced[slot->second] = std::move(newLine);
        }
    }

    std::string Result(size_t entryCount) {
        std::string out;
        out.reserve(m_text.size() + entryCount * 32);
        WriteLines(out);
        WriteAppendedSections(out);
        return out;
    }

private:
    // A section the entries write to: the first of its name in the text, or a new one at the end.
    struct Section {
        std::string name;
        size_t anchor = 0; // line after which new keys go (existing sections)
        std::vector<std::string> added;
        // Lower-case key: the line of the text (index) or of added (index + lines.size()).
        std::unordered_map<std::string, size_t> keys;
    };

    void IndexSections() {
        Section* current = nullptr;
        for (size_t i = 0; i < m_lines.size(); ++i) {
            std::string_view name;
            if (SectionName(m_lines[i].text, name)) {
                current = nullptr;
                const std::string lower = LowerKey(name, {});
                if (!m_byName.count(lower)) {
                    m_byName[lower] = {false, m_existing.size()};
                    m_existing.push_back({std::string(name), i, {}, {}});
                    current = &m_existing.back();
                }
                continue;
            }
            std::string_view k;
            std::string_view v;
            if (current && KeyValue(m_lines[i].text, k, v)) {
                current->keys.emplace(LowerKey({}, k), i);
                current->anchor = i;
            }
        }
    }

    Section& SectionNamed(std::string_view name) {
        const std::string lower = LowerKey(name, {});
        auto found = m_byName.find(lower);
        if (found == m_byName.end()) {
            found = m_byName.emplace(lower, std::make_pair(true, m_appended.size())).first;
            m_appended.push_back({std::string(name), 0, {}, {}});
        }
        const auto [appended, index] = found->second;
        return appended ? m_appended[index] : m_existing[index];
    }

    // The text's lines, replaced where an entry says so, new keys after their section's anchor.
    void WriteLines(std::string& out) {
        std::vector<std::vector<std::string>> after(m_lines.size());
        for (Section& section : m_existing)
            after[section.anchor] = std::move(section.added);
        for (size_t i = 0; i < m_lines.size(); ++i) {
            const Line& line = m_lines[i];
            const size_t endStart = line.begin + line.text.size();
            out += m_replaced[i] ? std::string_view(*m_replaced[i]) : line.text;
            out.append(m_text, endStart, line.end - endStart);
            if (!after[i].empty() && out.back() != '\n') {
                out += '\n'; // the last line of the file had no line end
            }
            for (const std::string& added : after[i]) {
                out += added + '\n';
            }
        }
    }

    void WriteAppendedSections(std::string& out) const {
        for (const Section& section : m_appended) {
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
    }

    const std::string& m_text;
    const std::vector<Line> m_lines;
    std::vector<std::optional<std::string>> m_replaced; // new content by line of the text
    std::vector<Section> m_existing;
    std::vector<Section> m_appended;
    std::unordered_map<std::string, std::pair<bool, size_t>> m_byName; // appended?, index
};

} // namespace

std::string SetProfileValues(const std::string& text, const std::vector<ProfileEntry>& entries) {
    ProfileEdit edit(text);
    for (const ProfileEntry& e : entries)
        edit.Apply(e);
    return edit.Result(entries.size());
}

bool OnlyUserCanChange(const std::string& file) {
    constexpr mode_t kOthersWrite = S_IWGRP | S_IWOTH;
    struct stat st {};
    struct stat folder {};
    return ::lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & kOthersWrite) == 0 && ::stat(DirectoryOf(file).c_str(), &folder) == 0 &&
           (folder.st_uid == ::geteuid() || folder.st_uid == 0) &&
           (folder.st_mode & kOthersWrite) == 0;
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
