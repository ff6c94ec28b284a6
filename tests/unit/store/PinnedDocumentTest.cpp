// Documents written by earlier versions of the program, committed under tests/data. They
// must keep opening with the values they were written with, whatever changes in the table
// layout or the container: a user's existing file is not ours to lose.
#include "engine/Crypto.h"
#include "platform/FileServices.h"
#include "platform/SystemDirs.h"
#include "store/CategorySchema.h"
#include "store/DocumentVersion.h"
#include "store/TDataSetManager.h"
#include "store/TQuery.h"
#include "store/TSession.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr const char* kPassword = "Grüne Tür 42";

// The values every-category.qlr was written with.
std::string TextValue(int n, int k) {
    return "Ä" + std::to_string(n) + "." + std::to_string(k) + " Grüße";
}
std::string MemoValue(int n, int k) {
    return "Erste Zeile " + std::to_string(n) + "." + std::to_string(k) + " äöü\r\nZweite Zeile ß";
}

class PinnedDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { Session().ClearPasswords(); }
    void TearDown() override {
        m_manager.Close();
        Session().ClearPasswords();
    }

    // Opens a copy of the sample (closing writes the document back).
    void Open(const std::string& sample) {
        m_document = m_docs.file(sample);
        fs::copy_file(TestDataDir() + sample, m_document);
        m_manager.Open(m_document);
    }

    std::string Value(int n, int k) {
        TQuery& table = m_manager.Table(FindCategory(n)->table);
        std::string text;
        if (IsMemoField(n, k))
            m_manager.LoadMemo(table, text, FieldName(n, k));
        else
            m_manager.LoadField(table, text, FieldName(n, k));
        return text;
    }

    // The open document holds two of the values the protected samples were written with.
    void ExpectProtectedValues() {
        EXPECT_EQ(Value(4, 100), "Kontonummer 4711 Sparkasse Görlitz");
        EXPECT_EQ(Value(1, 123), "Erste Zeile\r\nZweite Zeile ß");
    }

    // The open document holds the values every-category.qlr was written with; a table added
    // since is empty.
    void ExpectEveryValue() {
        for (const CategoryInfo& c : Categories()) {
            for (int k : FieldIds(c.number)) {
                const std::string expected = c.table > TableIndex::Second ? ""
                                             : IsMemoField(c.number, k)   ? MemoValue(c.number, k)
                                                                          : TextValue(c.number, k);
                ASSERT_EQ(Value(c.number, k), expected) << FieldName(c.number, k);
            }
        }
    }

    TempDir m_temp;
    TempDir m_docs;
    ScopedSystemDirs m_dirs{QUILLORY_TEMPLATE_DIR, m_temp.path()};
    TDataSetManager m_manager;
    std::string m_document;
};

TEST_F(PinnedDocumentTest, EveryCategoryComesBackWithItsValuesAndEntryTimes) {
    ScriptedMessages messages;
    Open("every-category.qlr");
    ASSERT_TRUE(m_manager.IsOpen);
    // The entry headers carry the working files' times: 9 Dec 2026, 00:01:06.
    EXPECT_EQ(GetDosFileTime(m_manager.WorkFiles[0]), JoinDosDateTime({2026, 12, 9, 0, 1, 6}));
    for (int round = 0; round < 2; ++round) {
        ASSERT_NO_FATAL_FAILURE(ExpectEveryValue());
        // Written back by today's code, the document still holds the same, with every table.
        m_manager.Close();
        DocumentFiles files;
        for (std::size_t i = 0; i < files.size(); ++i)
            files[i] = m_temp.file("slot" + std::to_string(i));
        std::size_t entries = 0;
        ASSERT_TRUE(UnpackDocument(m_document, files, &entries));
        EXPECT_EQ(entries, kDocumentSlotCount);
        m_manager.Open(m_document);
        ASSERT_TRUE(m_manager.IsOpen);
    }
    EXPECT_TRUE(messages.texts().empty());
}

// The same values as written by the second table layout.
TEST_F(PinnedDocumentTest, EveryCategoryInTheSecondLayoutComesBackWithItsValues) {
    ScriptedMessages messages;
    Open("every-category-layout2.qlr");
    ASSERT_TRUE(m_manager.IsOpen);
    ExpectEveryValue();
    EXPECT_TRUE(messages.texts().empty());
}

// Written with the third table: every field of every form holds its value, the contracts' and
// the Vorsorge block's too.
TEST_F(PinnedDocumentTest, EveryCategoryInTheThirdLayoutComesBackWithItsValues) {
    ScriptedMessages messages;
    Open("every-category-layout3.qlr");
    ASSERT_TRUE(m_manager.IsOpen);
    for (const CategoryInfo& c : Categories()) {
        for (int k : FieldIds(c.number)) {
            ASSERT_EQ(Value(c.number, k),
                      IsMemoField(c.number, k) ? MemoValue(c.number, k) : TextValue(c.number, k))
                << FieldName(c.number, k);
        }
    }
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(PinnedDocumentTest, NewUsersDocumentOpensWithEveryFieldEmpty) {
    ScriptedMessages messages;
    Open("new-user.qlr");
    ASSERT_TRUE(m_manager.IsOpen);
    for (const CategoryInfo& c : Categories())
        for (int k : FieldIds(c.number))
            ASSERT_EQ(Value(c.number, k), "") << FieldName(c.number, k);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(PinnedDocumentTest, ProtectedDocumentOpensOnlyWithItsPassword) {
    ScriptedMessages messages;
    Open("protected.qlr");
    EXPECT_FALSE(m_manager.IsOpen);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Fehler beim Öffnen der Datenbank!"});

    messages.clear();
    Session().AddPassword(kPassword);
    m_manager.Open(m_document);
    ASSERT_TRUE(m_manager.IsOpen);
    ExpectProtectedValues();
    EXPECT_TRUE(messages.texts().empty());
    // The tables it was written without are sealed before anything goes in.
    for (const TableInfo& t : kTables)
        EXPECT_TRUE(
            ProtectionOf(m_manager.WorkFiles[static_cast<std::size_t>(t.FirstSlot())]).isProtected);
}

TEST_F(PinnedDocumentTest, ProtectedDocumentIsWrittenInTheCurrentLayoutAtItsNextSave) {
    ScriptedMessages messages;
    Session().AddPassword(kPassword);
    Open("protected.qlr");
    ASSERT_TRUE(m_manager.IsOpen);
    for (TQuery* table : {m_manager.FirstTable, m_manager.SecondTable}) {
        table->Edit();
        table->Post(); // nothing changed, yet written anew
    }
    m_manager.Close();
    const std::string document = ReadFileBytes(m_document);
    EXPECT_EQ(document.find(std::string("QTBLDB\0\1", 8)), std::string::npos);
    EXPECT_NE(document.find(std::string("QTBLDB\0\2", 8)), std::string::npos);
    EXPECT_EQ(document.find("Sparkasse"), std::string::npos);

    // Both tables now share one salt: the next login derives one key.
    Session().ClearPasswords();
    Session().AddPassword(kPassword);
    const uint64_t before = engine::KeyDerivationCount();
    m_manager.Open(m_document);
    ASSERT_TRUE(m_manager.IsOpen);
    EXPECT_EQ(engine::KeyDerivationCount() - before, 1u);
    ExpectProtectedValues();
    EXPECT_TRUE(messages.texts().empty());
}

// Written by the second table layout: one salt in both tables' headers, one derivation.
TEST_F(PinnedDocumentTest, ProtectedDocumentInTheSecondLayoutUnlocksWithOneDerivation) {
    ScriptedMessages messages;
    Session().AddPassword(kPassword);
    const uint64_t before = engine::KeyDerivationCount();
    Open("protected-layout2.qlr");
    ASSERT_TRUE(m_manager.IsOpen);
    EXPECT_EQ(engine::KeyDerivationCount() - before, 1u);
    ExpectProtectedValues();
    EXPECT_TRUE(messages.texts().empty());
}

// Sealed with a data key in two slots: the password's and a recovery of the bytes A0..AF.
TEST_F(PinnedDocumentTest, ProtectedDocumentWithKeySlotsOpensByPasswordOrRecovery) {
    engine::SecretKey recovery;
    for (size_t i = 0; i < engine::kRecoverySize; ++i)
        recovery.data()[i] = static_cast<uint8_t>(0xA0 + i);
    for (bool byPassword : {true, false}) {
        ScriptedMessages messages;
        Session().ClearPasswords();
        if (byPassword)
            Session().AddPassword(kPassword);
        else
            Session().AddRecovery(recovery);
        Open("protected-keyslots.qlr");
        ASSERT_TRUE(m_manager.IsOpen) << byPassword;
        ExpectProtectedValues();
        EXPECT_TRUE(messages.texts().empty());
        m_manager.Close();
        std::filesystem::remove(m_document);
    }
}

TEST_F(PinnedDocumentTest, BrokenDocumentsAreRefusedAndLeftAsTheyWere) {
    const std::pair<const char*, const char*> cases[] = {
        {"truncated-in-fourth-entry.qlr", "Fehler 02 beim Öffnen!"},
        {"length-beyond-end.qlr", "Fehler 02 beim Öffnen!"},
        {"negative-length.qlr", "Fehler 02 beim Öffnen!"},
        {"flipped-byte-in-slot-0.qlr", "Fehler beim Öffnen der Datenbank!"},
        {"ends-after-fifth-entry.qlr", "Fehler beim Öffnen der Datenbank!"},
    };
    for (const auto& [sample, message] : cases) {
        ScriptedMessages messages;
        Open(sample);
        EXPECT_FALSE(m_manager.IsOpen) << sample;
        EXPECT_EQ(messages.texts(), std::vector<std::string>{message}) << sample;
        m_manager.Close();
        EXPECT_EQ(ReadFileBytes(m_document), ReadFileBytes(TestDataDir() + sample)) << sample;
        EXPECT_TRUE(fs::is_empty(m_temp.path())) << sample;
    }
}

// The layout with the merge's state table: a conflict both machines see and each field's
// earlier values with their machine ("vm"), read back as they were written.
TEST_F(PinnedDocumentTest, StampedDocumentKeepsItsConflictAndHistory) {
    ScriptedMessages messages;
    Open("stamped-conflict.qlr");
    ASSERT_TRUE(m_manager.IsOpen);
    EXPECT_EQ(Value(8, 100), "Dr. Neu");
    const std::vector<OpenConflict> conflicts = m_manager.Sync().Conflicts();
    ASSERT_EQ(conflicts.size(), 1u);
    EXPECT_EQ(DocumentFields()[conflicts[0].field].name, "E8_101");
    EXPECT_EQ(conflicts[0].ours, "Am Markt 3");
    EXPECT_EQ(conflicts[0].theirs, "Bahnhofstraße 2");
    EXPECT_EQ(conflicts[0].theirsMark.machine, "vm");
    EXPECT_GT(conflicts[0].theirsMark.time, 1765000000);
    const auto field = [](const char* name) {
        return static_cast<std::size_t>(DocumentFieldIndex(name));
    };
    const std::vector<EarlierValue> name = m_manager.Sync().History(field("E8_100"));
    ASSERT_EQ(name.size(), 1u);
    EXPECT_EQ(name[0].value, "Dr. Alt");
    const std::vector<EarlierValue> street = m_manager.Sync().History(field("E8_101"));
    ASSERT_EQ(street.size(), 1u);
    EXPECT_EQ(street[0].value, "Hauptstraße 1");
    EXPECT_TRUE(messages.texts().empty());
}

// Protected, stamped, with a last import of two fields (an IBAN over an earlier one, a doctor
// into an empty field): undoing it after opening puts back exactly what was there before.
TEST_F(PinnedDocumentTest, ProtectedStampedDocumentKeepsItsLastImport) {
    ScriptedMessages messages;
    Session().AddPassword(kPassword);
    Open("protected-stamped-import.qlr");
    ASSERT_TRUE(m_manager.IsOpen);
    ExpectProtectedValues();
    EXPECT_EQ(Value(1, 107), "DE02120300000000202051");
    EXPECT_EQ(Value(8, 100), "Dr. Import");
    const auto undo = m_manager.Sync().UndoImport(m_manager.Work());
    ASSERT_TRUE(undo);
    EXPECT_EQ(undo->back.size(), 2u);
    EXPECT_EQ(Value(1, 107), "DE89370400440532013000");
    EXPECT_EQ(Value(8, 100), "");
    EXPECT_TRUE(messages.texts().empty());
}

} // namespace
