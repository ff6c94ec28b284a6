#pragma once

#include "exchange/KdbxModel.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What another program's file holds, flattened for the import: entries of named values, each
// value with the part it plays in a password manager's entry.

enum class ValueRole { Other, Title, UserName, Password, Url, Notes };

struct SourceValue {
    std::string key; // as the source names it ("UserName", "Kontonr.", "card.number")
    std::string value;
    bool secret = false;
    ValueRole role = ValueRole::Other;
};

enum class SourceKind { Entry, Login, Card, Identity, Note };

struct SourceEntry {
    std::string group; // folder path, "/" between names; empty at the top
    std::string title;
    SourceKind kind = SourceKind::Entry;
    std::vector<SourceValue> values;      // the title too, as the source holds it
    std::vector<std::string> attachments; // "name (n Bytes)": listed, never imported
    bool deleted = false;                 // in the source's recycle bin
};

// Every entry of a KDBX file or KeePass 2 XML export, groups depth first; the root group's
// own name is not part of the paths.
std::vector<SourceEntry> EntriesOf(const KdbxDatabase& db);

// Bitwarden's unencrypted JSON export: logins, cards, identities, secure notes with their
// custom fields and folders. Nothing, and error set, for an encrypted export or another file.
std::optional<std::vector<SourceEntry>> ReadBitwardenJson(std::string_view json,
                                                          std::string& error);
