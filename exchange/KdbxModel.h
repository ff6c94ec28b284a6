#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A password database as the KDBX formats hold it, as far as an exchange needs it: groups,
// entries with their named strings (protected or not) and the names of their attachments.
// Texts are UTF-8; uuids are 16 raw bytes.

struct KdbxString {
    std::string key;
    std::string value;
    bool protect = false;
};

struct KdbxAttachment {
    std::string name;
    std::uint64_t size = 0;
};

struct KdbxEntry {
    std::string uuid;
    std::vector<KdbxString> strings;
    std::vector<KdbxAttachment> attachments;
    // The value of a string, empty when the entry has none of that key.
    std::string Value(std::string_view key) const;
};

struct KdbxGroup {
    std::string uuid;
    std::string name;
    std::string notes;
    std::vector<KdbxEntry> entries;
    std::vector<KdbxGroup> groups;
};

struct KdbxDatabase {
    std::string name;
    std::string recycleBinUuid;
    KdbxGroup root;
};

// The keys every KeePass entry has.
namespace kdbx {
inline constexpr std::string_view kTitle = "Title";
inline constexpr std::string_view kUserName = "UserName";
inline constexpr std::string_view kPassword = "Password";
inline constexpr std::string_view kUrl = "URL";
inline constexpr std::string_view kNotes = "Notes";
bool IsStandardKey(std::string_view key);
} // namespace kdbx
