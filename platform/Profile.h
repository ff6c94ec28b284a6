#pragma once

#include <string>
#include <unordered_map>
#include <vector>

// Private-profile (INI) files: "[section]" headers and "key=value" lines, UTF-8, LF (CRLF read).
// Sections and keys compare without letter case; the first match wins. Blanks around keys and
// values are trimmed and one pair of surrounding quotes is removed from a value on read; a value
// that this would change is written in quotes, so every storable value reads back as written.

// The value of key in section, or def when the file, the section or the key is missing.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& file);

// The leading decimal digits (optional sign) of the value; a present value that is no number
// gives 0, a missing one gives def.
int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& file);

// Whether a value can be stored: a line break (or NUL) cannot.
bool IsStorableProfileValue(const std::string& value);

// Sets key in section: replaces the first matching line in place, or appends the key to its
// section, or appends a new section. Every other line stays as it was. Creates the file when
// missing; the file is replaced atomically. False when the value is not storable or the file
// cannot be read or written.
bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file);

struct ProfileEntry {
    std::string section;
    std::string key;
    std::string value;
};
// Sets every entry, in order, with one read and one atomic replacement of the file: all of
// them are written or none is. False when an entry is not writable or the file cannot be read
// or written.
bool WritePrivateProfileStrings(const std::vector<ProfileEntry>& entries, const std::string& file);

// A profile file read once; lookups answer as GetPrivateProfileString and GetPrivateProfileInt
// would for the file as it was read. A missing or unreadable file answers every default.
class TProfileSnapshot {
public:
    explicit TProfileSnapshot(const std::string& file);
    std::string String(const std::string& section, const std::string& key,
                       const std::string& def) const;
    int Int(const std::string& section, const std::string& key, int def) const;

private:
    // Lower-case section, '\n', lower-case key: the first value in the file.
    std::unordered_map<std::string, std::string> m_values;
};

// Whether nobody but the user can change the profile file: a regular file (no link) of the
// user's, in a folder of the user's or root's, neither writable by group or others. Values that
// name programs to run are taken only from such a file.
bool OnlyUserCanChange(const std::string& file);

// Looks key up in section within text, as TProfileSnapshot does in a file (for tests and the
// fuzzer). False when it is not there.
bool FindProfileValue(const std::string& text, const std::string& section, const std::string& key,
                      std::string& value);

// The text after setting key in section to value within text: SetProfileValues with one entry.
std::string SetProfileValue(const std::string& text, const std::string& section,
                            const std::string& key, const std::string& value);

// The text after setting every entry in order, as SetProfileValue one after the other would,
// in time linear in the text and the entries.
std::string SetProfileValues(const std::string& text, const std::vector<ProfileEntry>& entries);
