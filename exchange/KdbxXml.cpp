#include "exchange/KdbxXml.h"

#include "exchange/KdbxCrypto.h"

#include <QByteArray>
#include <QDateTime>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

namespace kdbx {

namespace {

constexpr int kMaxGroupDepth = 64;
constexpr std::size_t kMaxBinarySize = std::size_t{256} << 20;
// Seconds from 0001-01-01 to 1970-01-01: KDBX 4 counts from the former.
constexpr qint64 kEpochOffset = 62135596800;

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string S(const QString& s) {
    return s.toUtf8().toStdString();
}
QString Base64(std::string_view bytes) {
    return QString::fromLatin1(
        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64());
}
std::string FromBase64(const QString& text) {
    return QByteArray::fromBase64(text.toLatin1()).toStdString();
}

// Whether XML 1.0 can carry the text as characters.
bool XmlSafe(std::string_view text) {
    return std::none_of(text.begin(), text.end(),
                        [](char c) {
                            const auto u = static_cast<unsigned char>(c);
                            return u < 0x20 && u != '\t' && u != '\n' && u != '\r';
                        }) &&
           Q(text).toUtf8().toStdString() == text;
}

// Characters with CR written as a reference: a reader would turn a literal CR LF into LF.
void WriteText(QXmlStreamWriter& w, const QString& text) {
    const QStringList parts = text.split(QLatin1Char('\r'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            w.writeEntityReference(QStringLiteral("#13"));
        if (!parts[i].isEmpty())
            w.writeCharacters(parts[i]);
    }
}

void WriteElement(QXmlStreamWriter& w, const char* name, const QString& text) {
    w.writeStartElement(QLatin1String(name));
    WriteText(w, text);
    w.writeEndElement();
}

void WriteTimes(QXmlStreamWriter& w) {
    const qint64 now = QDateTime::currentSecsSinceEpoch() + kEpochOffset;
    std::string stamp(8, '\0');
    for (int i = 0; i < 8; ++i)
        stamp[static_cast<std::size_t>(i)] = static_cast<char>((now >> (8 * i)) & 0xff);
    const QString t = Base64(stamp);
    w.writeStartElement(QStringLiteral("Times"));
    for (const char* name : {"CreationTime", "LastModificationTime", "LastAccessTime", "ExpiryTime",
                             "LocationChanged"})
        WriteElement(w, name, t);
    WriteElement(w, "Expires", QStringLiteral("False"));
    WriteElement(w, "UsageCount", QStringLiteral("0"));
    w.writeEndElement();
}

void WriteEntry(QXmlStreamWriter& w, const KdbxEntry& e, InnerStream& stream) {
    w.writeStartElement(QStringLiteral("Entry"));
    WriteElement(w, "UUID", Base64(e.uuid));
    WriteTimes(w);
    for (const KdbxString& s : e.strings) {
        w.writeStartElement(QStringLiteral("String"));
        WriteElement(w, "Key", Q(s.key));
        w.writeStartElement(QStringLiteral("Value"));
        // A text XML cannot carry goes protected, which carries any bytes.
        if (s.protect || !XmlSafe(s.value)) {
            w.writeAttribute(QStringLiteral("Protected"), QStringLiteral("True"));
            w.writeCharacters(Base64(stream.Apply(s.value)));
        } else {
            WriteText(w, Q(s.value));
        }
        w.writeEndElement();
        w.writeEndElement();
    }
    w.writeEndElement();
}

void WriteGroup(QXmlStreamWriter& w, const KdbxGroup& g, InnerStream& stream) {
    w.writeStartElement(QStringLiteral("Group"));
    WriteElement(w, "UUID", Base64(g.uuid));
    WriteElement(w, "Name", Q(g.name));
    WriteElement(w, "Notes", Q(g.notes));
    WriteTimes(w);
    WriteElement(w, "IsExpanded", QStringLiteral("True"));
    for (const KdbxEntry& e : g.entries)
        WriteEntry(w, e, stream);
    for (const KdbxGroup& child : g.groups)
        WriteGroup(w, child, stream);
    w.writeEndElement();
}

void WriteMeta(QXmlStreamWriter& w, const KdbxDatabase& db) {
    w.writeStartElement(QStringLiteral("Meta"));
    WriteElement(w, "Generator", QStringLiteral("Quillory"));
    WriteElement(w, "DatabaseName", Q(db.name));
    w.writeStartElement(QStringLiteral("MemoryProtection"));
    WriteElement(w, "ProtectTitle", QStringLiteral("False"));
    WriteElement(w, "ProtectUserName", QStringLiteral("False"));
    WriteElement(w, "ProtectPassword", QStringLiteral("True"));
    WriteElement(w, "ProtectURL", QStringLiteral("False"));
    WriteElement(w, "ProtectNotes", QStringLiteral("False"));
    w.writeEndElement();
    WriteElement(w, "RecycleBinEnabled", QStringLiteral("False"));
    w.writeEndElement();
}

// Reading: a cursor over the document that knows the stream and the binaries.
struct Reader {
    QXmlStreamReader xml;
    InnerStream* stream;
    std::vector<std::uint64_t> sizes;

    std::string Text() { return S(xml.readElementText(QXmlStreamReader::IncludeChildElements)); }
    bool Is(const char* name) const { return xml.name() == QLatin1String(name); }

    void ReadBinaries() {
        while (xml.readNextStartElement()) {
            if (!Is("Binary")) {
                xml.skipCurrentElement();
                continue;
            }
            const bool compressed =
                xml.attributes().value(QStringLiteral("Compressed")) == QLatin1String("True");
            const std::size_t id = xml.attributes().value(QStringLiteral("ID")).toULongLong();
            std::string data = FromBase64(xml.readElementText());
            if (compressed)
                data = Gunzip(data, kMaxBinarySize).value_or(std::string());
            if (id < 100000) {
                sizes.resize(std::max(sizes.size(), id + 1));
                sizes[id] = data.size();
            }
        }
    }

    void ReadMeta(KdbxDatabase& db) {
        while (xml.readNextStartElement()) {
            if (Is("DatabaseName"))
                db.name = Text();
            else if (Is("RecycleBinUUID"))
                db.recycleBinUuid = FromBase64(xml.readElementText());
            else if (Is("Binaries"))
                ReadBinaries();
            else
                xml.skipCurrentElement();
        }
    }

    std::string ReadValue(bool& isProtected) {
        const auto attrs = xml.attributes();
        const bool hidden = attrs.value(QStringLiteral("Protected")) == QLatin1String("True");
        isProtected =
            hidden || attrs.value(QStringLiteral("ProtectInMemory")) == QLatin1String("True");
        if (!hidden)
            return Text();
        const std::string bytes = FromBase64(xml.readElementText());
        return stream ? stream->Apply(bytes) : bytes;
    }

    void ReadString(KdbxEntry& e) {
        KdbxString s;
        while (xml.readNextStartElement()) {
            if (Is("Key"))
                s.key = Text();
            else if (Is("Value"))
                s.value = ReadValue(s.protect);
            else
                xml.skipCurrentElement();
        }
        e.strings.push_back(std::move(s));
    }

    void ReadBinaryRef(KdbxEntry& e) {
        KdbxAttachment a;
        while (xml.readNextStartElement()) {
            if (Is("Key")) {
                a.name = Text();
            } else if (Is("Value")) {
                const std::size_t ref = xml.attributes().value(QStringLiteral("Ref")).toULongLong();
                a.size = ref < sizes.size() ? sizes[ref] : 0;
                xml.skipCurrentElement();
            } else {
                xml.skipCurrentElement();
            }
        }
        e.attachments.push_back(std::move(a));
    }

    KdbxEntry ReadEntry(int depth = 0) {
        KdbxEntry e;
        if (depth > kMaxGroupDepth) {
            xml.raiseError(QStringLiteral("histories nested too deeply"));
            return e;
        }
        while (xml.readNextStartElement()) {
            if (Is("UUID"))
                e.uuid = FromBase64(xml.readElementText());
            else if (Is("String"))
                ReadString(e);
            else if (Is("Binary"))
                ReadBinaryRef(e);
            else if (Is("History"))
                // Older versions of the entry: read only to keep the stream in step.
                while (xml.readNextStartElement())
                    Is("Entry") ? (void)ReadEntry(depth + 1) : xml.skipCurrentElement();
            else
                xml.skipCurrentElement();
        }
        return e;
    }

    void ReadGroup(KdbxGroup& g, int depth) {
        if (depth > kMaxGroupDepth) {
            xml.raiseError(QStringLiteral("groups nested too deeply"));
            return;
        }
        while (xml.readNextStartElement()) {
            if (Is("UUID"))
                g.uuid = FromBase64(xml.readElementText());
            else if (Is("Name"))
                g.name = Text();
            else if (Is("Notes"))
                g.notes = Text();
            else if (Is("Entry"))
                g.entries.push_back(ReadEntry());
            else if (Is("Group"))
                ReadGroup(g.groups.emplace_back(), depth + 1);
            else
                xml.skipCurrentElement();
        }
    }

    bool ReadRoot(KdbxDatabase& db) {
        bool found = false;
        while (xml.readNextStartElement()) {
            if (Is("Group") && !found) {
                ReadGroup(db.root, 0);
                found = true;
            } else {
                xml.skipCurrentElement();
            }
        }
        return found;
    }
};

} // namespace

std::optional<InnerStream> InnerStream::Make(std::uint32_t id, std::string_view key) {
    InnerStream s;
    s.m_id = id;
    if (id == kChaCha20Stream) {
        const std::string digest = Sha512(key);
        s.m_key = digest.substr(0, 32);
        s.m_nonce = digest.substr(32, 12);
    } else if (id == kSalsa20Stream) {
        s.m_key = Sha256(key);
        s.m_nonce = std::string("\xE8\x30\x09\x4B\x97\x20\x5D\x2A", 8);
    } else {
        return std::nullopt;
    }
    return s;
}

std::string InnerStream::NextBlock() {
    const std::string zeros(64, '\0');
    return m_id == kChaCha20Stream
               ? ChaCha20(m_key, m_nonce, zeros, static_cast<std::uint32_t>(m_counter++))
               : Salsa20(m_key, m_nonce, zeros, m_counter++);
}

std::string InnerStream::Apply(std::string_view data) {
    std::string out(data);
    for (char& c : out) {
        if (m_used == m_block.size()) {
            m_block = NextBlock();
            m_used = 0;
        }
        c = static_cast<char>(c ^ m_block[m_used++]);
    }
    return out;
}

std::string WriteXml(const KdbxDatabase& db, InnerStream& stream) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(-1);
    w.writeStartDocument(QStringLiteral("1.0"), true);
    w.writeStartElement(QStringLiteral("KeePassFile"));
    WriteMeta(w, db);
    w.writeStartElement(QStringLiteral("Root"));
    WriteGroup(w, db.root, stream);
    w.writeEmptyElement(QStringLiteral("DeletedObjects"));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out.toStdString();
}

std::optional<KdbxDatabase> ReadXml(std::string_view xml, InnerStream* stream,
                                    std::vector<std::uint64_t> attachmentSizes,
                                    std::string& error) {
    Reader r{QXmlStreamReader(QByteArray(xml.data(), static_cast<qsizetype>(xml.size()))), stream,
             std::move(attachmentSizes)};
    KdbxDatabase db;
    bool root = false;
    if (r.xml.readNextStartElement() && r.Is("KeePassFile")) {
        while (r.xml.readNextStartElement()) {
            if (r.Is("Meta"))
                r.ReadMeta(db);
            else if (r.Is("Root"))
                root = r.ReadRoot(db) || root;
            else
                r.xml.skipCurrentElement();
        }
    }
    if (r.xml.hasError() || !root) {
        error = r.xml.hasError() ? S(r.xml.errorString()) : "keine KeePass-Datenbank";
        return std::nullopt;
    }
    return db;
}

bool IsStandardKey(std::string_view key) {
    return key == kTitle || key == kUserName || key == kPassword || key == kUrl || key == kNotes;
}

} // namespace kdbx

std::string KdbxEntry::Value(std::string_view key) const {
    for (const KdbxString& s : strings)
        if (s.key == key)
            return s.value;
    return {};
}
