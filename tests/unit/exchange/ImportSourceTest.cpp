#include "tests/support/TestSupport.h"

#include "exchange/CatalogueFields.h"
#include "exchange/FieldMapping.h"
#include "exchange/ImportSource.h"
#include "exchange/KdbxFile.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::map<std::string, std::string> ValuesOf(const SourceEntry& e) {
    std::map<std::string, std::string> out;
    for (const SourceValue& v : e.values)
        out[v.key] = v.value;
    return out;
}

bool IsSecret(const SourceEntry& e, const std::string& key) {
    for (const SourceValue& v : e.values)
        if (v.key == key)
            return v.secret;
    return false;
}

} // namespace

// Files the peers wrote, kept as they were: KDBX 3.1 with AES-KDF and a recycle bin (their
// command-line tool), KDBX 4 with AES-256 and Argon2d (the Python library).
TEST(ImportSource, PinnedPeerFilesReadWithEveryValue) {
    const auto x31 = kdbx::ReadKdbx(
        ReadFileBytes(TestDataDir() + "exchange-keepassxc-3.1-aeskdf.kdbx"), "Pässwort");
    const auto x40 = kdbx::ReadKdbx(
        ReadFileBytes(TestDataDir() + "exchange-pykeepass-4.0-argon2d-aes.kdbx"), "Pässwort");
    // Its XML holds a CR literally, which XML reading makes LF; the library writes a reference.
    const std::map<const kdbx::ReadResult*, std::string> notes = {{&x31, "Zeile 1\nZeile 2 ß €"},
                                                                  {&x40, "Zeile 1\r\nZeile 2 ß €"}};
    for (const auto* read : {&x31, &x40}) {
        ASSERT_TRUE(read->db) << kdbx::FaultText(read->fault);
        const auto entries = EntriesOf(*read->db);
        const auto found = std::find_if(entries.begin(), entries.end(), [](const SourceEntry& s) {
            return s.title == "Girokonto";
        });
        ASSERT_NE(found, entries.end());
        const SourceEntry& e = *found;
        EXPECT_EQ(e.group, "Bank");
        EXPECT_FALSE(e.deleted);
        const auto v = ValuesOf(e);
        EXPECT_EQ(v.at("Title"), "Girokonto");
        EXPECT_EQ(v.at("UserName"), "Jürgen Weiß");
        EXPECT_EQ(v.at("Password"), "geh;eim\"€");
        EXPECT_TRUE(IsSecret(e, "Password"));
        EXPECT_EQ(v.at("URL"), "https://bank.example/?a=1;b=\"2\"");
        EXPECT_EQ(v.at("Notes"), notes.at(read));
        EXPECT_EQ(e.attachments, std::vector<std::string>{"scan.txt (5 Bytes)"});
    }
    // The command-line tool's deletion went to its recycle bin.
    const auto deleted = EntriesOf(*x31.db).back();
    EXPECT_TRUE(deleted.deleted);
    EXPECT_EQ(ValuesOf(EntriesOf(*x40.db)[1]).at("Kontonr."), "1234 5678 90");
}

TEST(ImportSource, BitwardenExportGivesEveryKindWithFoldersAndCustomFields) {
    std::string error;
    const auto items =
        ReadBitwardenJson(ReadFileBytes(TestDataDir() + "exchange-bitwarden.json"), error);
    ASSERT_TRUE(items) << error;
    ASSERT_EQ(items->size(), 5u);
    const SourceEntry& login = (*items)[0];
    EXPECT_EQ(login.kind, SourceKind::Login);
    EXPECT_EQ(login.group, "Familie");
    const auto v = ValuesOf(login);
    EXPECT_EQ(v.at("Benutzername"), "jürgen@gmx.de");
    EXPECT_EQ(v.at("Adresse 2"), "https://gmx.de");
    EXPECT_EQ(v.at("Sicherheitsfrage"), "Ölkanne; \"rot\"");
    EXPECT_TRUE(IsSecret(login, "Wiederherstellungscode"));
    EXPECT_TRUE(IsSecret(login, "Passwort"));
    EXPECT_EQ(v.at("Notizen"), "Zeile 1\nZeile 2 ß €");
    EXPECT_EQ((*items)[1].kind, SourceKind::Card);
    EXPECT_EQ(ValuesOf((*items)[1]).at("Gültig bis"), "07/2028");
    EXPECT_EQ(ValuesOf((*items)[2]).at("Anschrift"), "Hauptstraße 5, 50667 Köln, DE");
    EXPECT_TRUE(IsSecret((*items)[1], "Prüfnummer"));
    EXPECT_EQ(ValuesOf((*items)[2]).at("Paß-Nr."), "C01X00T47");
    EXPECT_EQ((*items)[3].kind, SourceKind::Note);
    EXPECT_TRUE((*items)[4].deleted);

    EXPECT_FALSE(ReadBitwardenJson(R"({"encrypted": true, "items": "x"})", error));
    EXPECT_NE(error.find("verschlüsselt"), std::string::npos);
    EXPECT_FALSE(ReadBitwardenJson("[1,2", error));
}

// The export's own format as this version writes it: a later reader must still place every value.
TEST(ImportSource, PinnedExportGoesBackIntoItsFields) {
    const auto read = kdbx::ReadKdbx(
        ReadFileBytes(TestDataDir() + "exchange-quillory-4.0-argon2id-chacha20.kdbx"), "Pässwort");
    ASSERT_TRUE(read.db) << kdbx::FaultText(read.fault);
    const ImportPlan plan = PlanImport(CatalogueFields(), {}, EntriesOf(*read.db));
    const FormValues want = {{{4, 112}, "GMX"},
                             {{4, 114}, "jürgen@gmx.de"},
                             {{4, 115}, "geh;eim\"€"},
                             {{4, 116}, "https://www.gmx.net"},
                             {{1, 123}, "Zeile 1\r\nZeile 2 ß"},
                             {{7, 100}, "Office"},
                             {{7, 101}, "AAAA-1111"},
                             {{7, 102}, "BBBB-2222"}};
    EXPECT_EQ(plan.changes, want);
    EXPECT_EQ(plan.Unfit(), 0);
}
