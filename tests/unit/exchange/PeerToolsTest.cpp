// The peers' own tools read what the exchange writes, and the exchange reads what they write.
// Each test is skipped where its tool is not installed.
#include "ExchangeTestData.h"
#include "tests/support/TestSupport.h"

#include "exchange/FieldCsv.h"
#include "exchange/ImportSource.h"
#include "exchange/KdbxFile.h"
#include "exchange/KdbxXml.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace kdbx;

namespace {

const char* const kCli = "/usr/bin/keepassxc-cli";
const char* const kPython = "/usr/bin/python3";

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a shell command with stdin from a file; its stdout, or nothing when it failed.
std::optional<std::string> RunTool(const std::string& command, const std::string& input,
                                   const TempDir& dir) {
    WriteFileBytes(dir.file("stdin"), input);
    FILE* pipe = popen((command + " < " + Quote(dir.file("stdin")) + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    return pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

bool HasPykeepass() {
    return access(kPython, X_OK) == 0 &&
           std::system((std::string(kPython) + " -c 'import pykeepass' 2>/dev/null").c_str()) == 0;
}

// Every string of every entry, as "entry uuid (hex)|key" to value.
using Values = std::map<std::string, std::string>;
void Collect(const KdbxGroup& g, Values& out) {
    for (const KdbxEntry& e : g.entries)
        for (const KdbxString& s : e.strings)
            out[QByteArray::fromStdString(e.uuid).toHex().toStdString() + "|" + s.key] = s.value;
    for (const KdbxGroup& child : g.groups)
        Collect(child, out);
}

// Value by value, so that a failure names the one that differs.
void ExpectSame(const Values& want, const Values& got) {
    // A reader may add the usual keys an entry lacks, empty.
    for (const auto& [key, value] : got)
        EXPECT_TRUE(want.count(key) || value.empty()) << key;
    for (const auto& [key, value] : want) {
        const auto it = got.find(key);
        ASSERT_NE(it, got.end()) << key;
        EXPECT_EQ(QByteArray::fromStdString(it->second).toPercentEncoding().toStdString(),
                  QByteArray::fromStdString(value).toPercentEncoding().toStdString())
            << key;
    }
}

} // namespace

// Every field of every form, exported: read back by both peers, every value identical.
TEST(PeerTools, KeePassXcExportsEveryValueOfOurFile) {
    if (access(kCli, X_OK) != 0)
        GTEST_SKIP() << "keepassxc-cli is not installed";
    TempDir dir;
    const KdbxDatabase db = CatalogueDatabase();
    WriteFileBytes(dir.file("q.kdbx"), WriteKdbx(db, "Pässwort", TestKdf()));
    const auto xml = RunTool(std::string(kCli) + " export -q -f xml " + Quote(dir.file("q.kdbx")),
                             "Pässwort\n", dir);
    ASSERT_TRUE(xml);
    // Its export writes a value's CR literally, which any XML reader turns into LF; kept as a
    // reference it survives, so the comparison stays exact.
    QByteArray exported = QByteArray::fromStdString(*xml);
    exported.replace("\r", "&#13;");
    std::string error;
    const auto back = ReadXml(exported.toStdString(), nullptr, {}, error);
    ASSERT_TRUE(back) << error;
    Values want, got;
    Collect(db.root, want);
    Collect(back->root, got);
    ExpectSame(want, got);
}

TEST(PeerTools, PykeepassReadsEveryValueOfOurFile) {
    if (!HasPykeepass())
        GTEST_SKIP() << "python3-pykeepass is not installed";
    TempDir dir;
    const KdbxDatabase db = CatalogueDatabase();
    WriteFileBytes(dir.file("q.kdbx"), WriteKdbx(db, "Pässwort", TestKdf()));
    const std::string script = R"(
import json, sys
from pykeepass import PyKeePass
kp = PyKeePass(sys.argv[1], password=sys.stdin.readline().rstrip('\n'))
out = {}
for e in kp.entries:
    for s in e._element.findall('String'):
        v = s.find('Value').text or ''
        out[e.uuid.hex + '|' + s.find('Key').text] = v
print(json.dumps(out))
)";
    WriteFileBytes(dir.file("dump.py"), script);
    const auto json = RunTool(std::string(kPython) + " " + Quote(dir.file("dump.py")) + " " +
                                  Quote(dir.file("q.kdbx")),
                              "Pässwort\n", dir);
    ASSERT_TRUE(json);
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(*json)).object();
    Values want, got;
    Collect(db.root, want);
    for (auto it = o.begin(); it != o.end(); ++it)
        got[it.key().toStdString()] = it.value().toString().toStdString();
    ExpectSame(want, got);
}

TEST(PeerTools, DatabaseMadeByKeePassXcIsReadWhole) {
    if (access(kCli, X_OK) != 0)
        GTEST_SKIP() << "keepassxc-cli is not installed";
    TempDir dir;
    const std::string file = Quote(dir.file("x.kdbx"));
    const std::string cli = std::string(kCli) + " ";
    ASSERT_TRUE(RunTool(cli + "db-create -q -p -t 100 " + file, "Pässwort\nPässwort\n", dir));
    ASSERT_TRUE(RunTool(cli + "mkdir -q " + file + " Bank", "Pässwort\n", dir));
    ASSERT_TRUE(RunTool(cli + "add -q -p -u " + Quote("Jürgen Weiß") + " --url " +
                            Quote("https://bank.example/?a=1;b=\"2\"") + " --notes " +
                            Quote("PIN-Brief\nim Ordner ß €") + " " + file + " " +
                            Quote("Bank/Girokonto"),
                        "Pässwort\ngeh;eim\"€\n", dir));
    WriteFileBytes(dir.file("scan.txt"), "Hallo");
    ASSERT_TRUE(RunTool(cli + "attachment-import -q " + file + " Bank/Girokonto scan.txt " +
                            Quote(dir.file("scan.txt")),
                        "Pässwort\n", dir));
    const ReadResult read = ReadKdbx(ReadFileBytes(dir.file("x.kdbx")), "Pässwort");
    ASSERT_TRUE(read.db) << FaultText(read.fault) << read.detail;
    EXPECT_EQ(ReadKdbx(ReadFileBytes(dir.file("x.kdbx")), "falsch").fault,
              ReadFault::WrongPassword);
    const auto entries = EntriesOf(*read.db);
    ASSERT_EQ(entries.size(), 1u);
    const SourceEntry& e = entries[0];
    EXPECT_EQ(e.group, "Bank");
    EXPECT_EQ(e.title, "Girokonto");
    std::map<std::string, std::string> values;
    for (const SourceValue& v : e.values)
        values[v.key] = v.value;
    EXPECT_EQ(values["UserName"], "Jürgen Weiß");
    EXPECT_EQ(values["Password"], "geh;eim\"€");
    EXPECT_EQ(values["URL"], "https://bank.example/?a=1;b=\"2\"");
    EXPECT_EQ(values["Notes"], "PIN-Brief\nim Ordner ß €");
    EXPECT_EQ(e.attachments, std::vector<std::string>{"scan.txt (5 Bytes)"});
}

TEST(PeerTools, PythonCsvReadsThreeColumnsWithEveryValue) {
    if (access(kPython, X_OK) != 0)
        GTEST_SKIP() << "python3 is not installed";
    TempDir dir;
    // Every field of every form, with the awkward texts in turn.
    const auto texts = AwkwardTexts();
    FormValues values;
    std::size_t n = 0;
    for (const ExchangeField& f : CatalogueFields())
        values[{f.category, f.id}] = texts[n++ % texts.size()];
    const std::vector<CsvRow> rows = ExportCsv(CatalogueFields(), values);
    WriteFileBytes(dir.file("q.csv"), WriteFieldCsv(rows));
    EXPECT_EQ(ReadFieldCsv(ReadFileBytes(dir.file("q.csv"))).rows, rows);
    const std::string script = R"(
import csv, json, sys
with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:
    rows = list(csv.reader(f, dialect='excel', delimiter=';'))
assert all(len(r) == 3 for r in rows), rows
# The file's one convention beyond the dialect: an apostrophe that keeps a formula text.
rows = [[c[1:] if len(c) > 1 and c[0] == "'" and c[1] in "=+-@'" else c for c in r] for r in rows]
print(json.dumps(rows))
)";
    WriteFileBytes(dir.file("read.py"), script);
    const auto json = RunTool(std::string(kPython) + " " + Quote(dir.file("read.py")) + " " +
                                  Quote(dir.file("q.csv")),
                              "", dir);
    ASSERT_TRUE(json);
    const QJsonArray a = QJsonDocument::fromJson(QByteArray::fromStdString(*json)).array();
    ASSERT_EQ(a.size(), static_cast<qsizetype>(rows.size() + 1));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QJsonArray r = a[static_cast<qsizetype>(i + 1)].toArray();
        EXPECT_EQ(r[0].toString().toStdString(), rows[i].form);
        EXPECT_EQ(r[1].toString().toStdString(), rows[i].field);
        EXPECT_EQ(r[2].toString().toStdString(), rows[i].value) << i;
    }
}
