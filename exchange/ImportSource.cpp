#include "exchange/ImportSource.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

namespace {

ValueRole RoleOfKey(std::string_view key) {
    if (key == kdbx::kTitle)
        return ValueRole::Title;
    if (key == kdbx::kUserName)
        return ValueRole::UserName;
    if (key == kdbx::kPassword)
        return ValueRole::Password;
    if (key == kdbx::kUrl)
        return ValueRole::Url;
    if (key == kdbx::kNotes)
        return ValueRole::Notes;
    return ValueRole::Other;
}

void AddGroup(const KdbxGroup& g, const std::string& path, bool deleted, const std::string& binUuid,
              std::vector<SourceEntry>& out) {
    for (const KdbxEntry& e : g.entries) {
        SourceEntry s;
        s.group = path;
        s.title = e.Value(kdbx::kTitle);
        s.deleted = deleted;
        for (const KdbxString& v : e.strings)
            s.values.push_back({v.key, v.value, v.protect, RoleOfKey(v.key)});
        for (const KdbxAttachment& a : e.attachments)
            s.attachments.push_back(a.name + " (" + std::to_string(a.size) + " Bytes)");
        out.push_back(std::move(s));
    }
    for (const KdbxGroup& child : g.groups) {
        const bool bin = deleted || (!binUuid.empty() && child.uuid == binUuid);
        AddGroup(child, path.empty() ? child.name : path + "/" + child.name, bin, binUuid, out);
    }
}

std::string Str(const QJsonValue& v) {
    if (v.isDouble())
        return QString::number(v.toDouble()).toStdString();
    if (v.isBool())
        return v.toBool() ? "true" : "false";
    return v.toString().toStdString();
}

// Bitwarden's keys as the preview and the report name them.
const std::map<std::string, std::string> kGermanKeys = {
    {"name", "Titel"},
    {"notes", "Notizen"},
    {"login.username", "Benutzername"},
    {"login.password", "Passwort"},
    {"login.totp", "TOTP-Schlüssel"},
    {"login.uri", "Adresse"},
    {"card.cardholderName", "Karteninhaber"},
    {"card.brand", "Kartenmarke"},
    {"card.number", "Kartennummer"},
    {"card.expiry", "Gültig bis"},
    {"card.code", "Prüfnummer"},
    {"identity.fullName", "Name"},
    {"identity.address", "Anschrift"},
    {"identity.passportNumber", "Paß-Nr."},
    {"identity.licenseNumber", "Führerschein-Nr."},
    {"identity.ssn", "Sozialversicherungsnummer"},
    {"identity.email", "E-Mail"},
    {"identity.phone", "Telefon"},
    {"identity.company", "Firma"},
    {"identity.username", "Benutzername"},
};

void Add(SourceEntry& e, std::string key, const QJsonValue& v, bool secret = false,
         ValueRole role = ValueRole::Other) {
    const std::string text = Str(v);
    if (const auto german = kGermanKeys.find(key); german != kGermanKeys.end())
        key = german->second;
    else if (key.starts_with("login.uri"))
        key = "Adresse " + key.substr(9);
    if (!text.empty())
        e.values.push_back({std::move(key), text, secret, role});
}

// Parts that one value of the forms holds: a card's expiry, a person's name and address.
const std::map<std::string, std::pair<const char*, const char*>> kJoined = {
    {"expMonth", {"expiry", "/"}},     {"expYear", {"expiry", "/"}},
    {"title", {"fullName", " "}},      {"firstName", {"fullName", " "}},
    {"middleName", {"fullName", " "}}, {"lastName", {"fullName", " "}},
    {"address1", {"address", ", "}},   {"address2", {"address", ", "}},
    {"address3", {"address", ", "}},   {"postalCode", {"address", ", "}},
    {"city", {"address", " "}},        {"state", {"address", ", "}},
    {"country", {"address", ", "}}};

void AddObject(SourceEntry& e, const QJsonObject& o, const char* prefix,
               const std::vector<const char*>& secrets) {
    std::map<std::string, std::string> joined;
    // In the order a person writes them.
    for (const char* part :
         {"expMonth", "expYear", "title", "firstName", "middleName", "lastName", "address1",
          "address2", "address3", "postalCode", "city", "state", "country"}) {
        std::string text = Str(o.value(QLatin1String(part)));
        if (text.empty())
            continue;
        if (std::string_view(part) == "expMonth" && text.size() == 1)
            text = "0" + text;
        auto& into = joined[kJoined.at(part).first];
        into += (into.empty() ? "" : kJoined.at(part).second) + text;
    }
    for (const auto& [key, text] : joined)
        Add(e, prefix + key, QJsonValue(QString::fromStdString(text)));
    for (auto it = o.begin(); it != o.end(); ++it) {
        if ((!it.value().isString() && !it.value().isDouble()) ||
            kJoined.count(it.key().toStdString()))
            continue;
        const std::string key = it.key().toStdString();
        bool secret = false;
        for (const char* s : secrets)
            secret = secret || key == s;
        Add(e, std::string(prefix) + key, it.value(), secret);
    }
}

void AddLogin(SourceEntry& e, const QJsonObject& login) {
    e.kind = SourceKind::Login;
    Add(e, "login.username", login.value(QStringLiteral("username")), false, ValueRole::UserName);
    Add(e, "login.password", login.value(QStringLiteral("password")), true, ValueRole::Password);
    Add(e, "login.totp", login.value(QStringLiteral("totp")), true);
    const QJsonArray uris = login.value(QStringLiteral("uris")).toArray();
    for (qsizetype i = 0; i < uris.size(); ++i)
        Add(e, i == 0 ? "login.uri" : "login.uri" + std::to_string(i + 1),
            uris[i].toObject().value(QStringLiteral("uri")), false,
            i == 0 ? ValueRole::Url : ValueRole::Other);
}

SourceEntry ItemOf(const QJsonObject& item, const std::map<QString, std::string>& folders) {
    SourceEntry e;
    const auto folder = folders.find(item.value(QStringLiteral("folderId")).toString());
    e.group = folder == folders.end() ? std::string() : folder->second;
    e.title = item.value(QStringLiteral("name")).toString().toStdString();
    e.values.push_back({"Titel", e.title, false, ValueRole::Title});
    switch (item.value(QStringLiteral("type")).toInt()) {
    case 1:
        AddLogin(e, item.value(QStringLiteral("login")).toObject());
        break;
    case 2:
        e.kind = SourceKind::Note;
        break;
    case 3:
        e.kind = SourceKind::Card;
        AddObject(e, item.value(QStringLiteral("card")).toObject(), "card.", {"number", "code"});
        break;
    case 4:
        e.kind = SourceKind::Identity;
        AddObject(e, item.value(QStringLiteral("identity")).toObject(), "identity.",
                  {"ssn", "passportNumber", "licenseNumber"});
        break;
    default:
        break;
    }
    Add(e, "notes", item.value(QStringLiteral("notes")), false, ValueRole::Notes);
    for (const QJsonValue& f : item.value(QStringLiteral("fields")).toArray()) {
        const QJsonObject field = f.toObject();
        // Type 1 is a hidden field.
        e.values.push_back({field.value(QStringLiteral("name")).toString().toStdString(),
                            Str(field.value(QStringLiteral("value"))),
                            field.value(QStringLiteral("type")).toInt() == 1, ValueRole::Other});
    }
    e.deleted = !item.value(QStringLiteral("deletedDate")).isNull() &&
                !item.value(QStringLiteral("deletedDate")).isUndefined();
    return e;
}

} // namespace

std::vector<SourceEntry> EntriesOf(const KdbxDatabase& db) {
    std::vector<SourceEntry> out;
    AddGroup(db.root, {}, false, db.recycleBinUuid, out);
    return out;
}

std::optional<std::vector<SourceEntry>> ReadBitwardenJson(std::string_view json,
                                                          std::string& error) {
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray(json.data(), static_cast<qsizetype>(json.size())), &parse);
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("encrypted")).toBool()) {
        error = "Die Bitwarden-Datei ist verschlüsselt; bitte unverschlüsselt exportieren.";
        return std::nullopt;
    }
    if (doc.isNull() || !root.value(QStringLiteral("items")).isArray()) {
        error = "Die Datei ist kein Bitwarden-Export (JSON).";
        return std::nullopt;
    }
    std::map<QString, std::string> folders;
    for (const QJsonValue& f : root.value(QStringLiteral("folders")).toArray())
        folders[f.toObject().value(QStringLiteral("id")).toString()] =
            f.toObject().value(QStringLiteral("name")).toString().toStdString();
    std::vector<SourceEntry> out;
    for (const QJsonValue& item : root.value(QStringLiteral("items")).toArray())
        out.push_back(ItemOf(item.toObject(), folders));
    return out;
}
