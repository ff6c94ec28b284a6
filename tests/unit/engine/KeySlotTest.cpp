// Tables sealed with a data key: the password's slot and the recovery's, rewrapped without
// touching the records, and tables protected before slots existed.
#include "engine/EngineError.h"
#include "engine/Restructure.h"
#include "engine/Table.h"
#include "engine/TableStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <sodium.h>

using namespace engine;

namespace {

std::string MakeTable(const TempDir& dir, const std::string& name, const SecretKey* key = nullptr,
                      const Salt& salt = {}) {
    TableImage image;
    image.fields = {{"E1_1", FieldType::Text, 47}, {"E1_123", FieldType::Memo, 0}};
    image.records = {{"Grüße aus Köln", "erste\r\nzweite"}};
    if (key) {
        image.isProtected = true;
        image.kdf = {1, 8192};
        image.salt = salt;
    }
    TableStore(dir.file(name)).Commit(EncodeTable(image, key));
    return dir.file(name + ".DB");
}

SecretKey NewRecovery() {
    SecretKey r;
    RandomBytes(r.data(), kRecoverySize);
    return r;
}

struct KeySlotTest : ::testing::Test {
    TempDir dir;
    Session session;
    KeySlotTest() { session.newTableKdf = {1, 8192}; }

    // Whether the table opens with a session holding only this password or recovery.
    bool OpensWith(const std::string& path, const std::string& password,
                   const SecretKey* recovery = nullptr) {
        Session s;
        if (!password.empty())
            s.AddPassword(password);
        if (recovery)
            s.AddRecovery(*recovery);
        try {
            return Table::Open(path, s, false)->Value(0) == "Grüße aus Köln";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), Errc::NoAccess);
            return false;
        }
    }
};

} // namespace

TEST_F(KeySlotTest, PasswordChangeRewrapsAndKeepsRecordsMemosAndRecovery) {
    const std::string a = MakeTable(dir, "A");
    const std::string b = MakeTable(dir, "B");
    const SecretKey recovery = NewRecovery();
    RestructureTables(session, {{a, true, "alt"}, {b, true, "alt"}}, RecoveryChange::Replace,
                      &recovery);
    {
        Session s;
        s.AddPassword("alt");
        auto ta = Table::Open(a, s, false);
        auto tb = Table::Open(b, s, false);
        ASSERT_TRUE(ta->HasRecovery() && tb->HasRecovery());
        EXPECT_EQ(sodium_memcmp(ta->Key()->data(), tb->Key()->data(), 32), 0) << "one data key";
    }
    const std::string px = ReadFileBytes(dir.file("A.PX"));
    const std::string mb = ReadFileBytes(dir.file("A.MB"));
    const std::string db = ReadFileBytes(dir.file("A.DB"));
    session.AddPassword("alt");
    RestructureTables(session, {{a, true, "neu"}, {b, true, "neu"}});
    EXPECT_EQ(ReadFileBytes(dir.file("A.PX")), px);
    EXPECT_EQ(ReadFileBytes(dir.file("A.MB")), mb);
    const std::string after = ReadFileBytes(dir.file("A.DB"));
    EXPECT_NE(after, db);
    EXPECT_EQ(ParseTable(after, px).recordSection, ParseTable(db, px).recordSection);
    for (const std::string& path : {a, b}) {
        EXPECT_TRUE(OpensWith(path, "neu"));
        EXPECT_FALSE(OpensWith(path, "alt"));
        EXPECT_TRUE(OpensWith(path, "", &recovery)) << "the sheets outlive a password change";
    }
}

// A table made later (from its template) takes the protection of one with key slots: the
// password and the recovery open it as well.
TEST_F(KeySlotTest, ProtectLikeGivesANewTableTheSameSlots) {
    const std::string a = MakeTable(dir, "A");
    const std::string b = MakeTable(dir, "B");
    const SecretKey recovery = NewRecovery();
    RestructureTables(session, {{a, true, "pw"}}, RecoveryChange::Replace, &recovery);
    session.AddPassword("pw");
    ProtectLike(session, b, a);
    EXPECT_TRUE(OpensWith(b, "pw"));
    EXPECT_TRUE(OpensWith(b, "", &recovery));
    const std::string db = ReadFileBytes(dir.file("B.DB"));
    ProtectLike(session, b, a);
    EXPECT_EQ(ReadFileBytes(dir.file("B.DB")), db) << "nothing written when they agree";
}

TEST_F(KeySlotTest, NewRecoveryReplacesTheOldAndRemovingThePasswordRemovesIt) {
    const std::string a = MakeTable(dir, "A");
    const SecretKey first = NewRecovery();
    const SecretKey second = NewRecovery();
    RestructureTables(session, {{a, true, "pw"}}, RecoveryChange::Replace, &first);
    EXPECT_TRUE(OpensWith(a, "", &first));
    EXPECT_FALSE(OpensWith(a, "", &second));
    session.AddPassword("pw");
    TableStore store(TableStore::BaseOf(a));
    const TableFiles backup = store.ReadRaw();
    RestructureTables(session, {{a, true, "pw"}}, RecoveryChange::Replace, &second);
    EXPECT_FALSE(OpensWith(a, "", &first)) << "old sheets stop working";
    // Not even with the key slots of a backup: the new recovery came with a new data key.
    const TableFiles now = store.ReadRaw();
    const ParsedTable old = ParseTable(backup.db, backup.px), cur = ParseTable(now.db, now.px);
    store.Commit({ReplaceKeySlots(now.db, cur, old.header), now.px, now.mb}, false);
    Session oldSheets;
    oldSheets.AddRecovery(first);
    EXPECT_THROW(Table::Open(a, oldSheets, false), EngineError);
    store.Commit(now, false);
    EXPECT_TRUE(OpensWith(a, "", &second));
    EXPECT_TRUE(OpensWith(a, "pw"));
    RestructureTables(session, {{a, true, "pw"}}, RecoveryChange::Remove);
    EXPECT_FALSE(OpensWith(a, "", &second));
    RestructureTables(session, {{a, true, "pw"}}, RecoveryChange::Replace, &second);

    // Opened by the recovery alone, a new password can be set.
    Session family;
    family.newTableKdf = session.newTableKdf;
    family.AddRecovery(second);
    RestructureTables(family, {{a, true, "frisch"}}, RecoveryChange::Remove);
    EXPECT_TRUE(OpensWith(a, "frisch"));
    EXPECT_FALSE(OpensWith(a, "pw"));

    family.AddPassword("frisch");
    RestructureTables(family, {{a, false, ""}});
    const std::string db = ReadFileBytes(dir.file("A.DB"));
    EXPECT_NE(db.find("Köln"), std::string::npos);
    EXPECT_EQ(db.find("QTBLKEY"), std::string::npos);
    Session none;
    EXPECT_FALSE(Table::Open(a, none, false)->HasRecovery());
}

// A table sealed by its password's key (before key slots) opens with the password and moves
// to a data key at the next change; a slot copied from another table opens nothing.
TEST_F(KeySlotTest, EarlierProtectionOpensAndMovesToSlotsAndForeignSlotsFail) {
    Salt salt{};
    RandomBytes(salt.data(), salt.size());
    SecretKey passwordKey;
    ASSERT_TRUE(DeriveKey("alt", salt, {1, 8192}, passwordKey));
    const std::string a = MakeTable(dir, "A", &passwordKey, salt);
    EXPECT_TRUE(OpensWith(a, "alt"));
    session.AddPassword("alt");
    const SecretKey recovery = NewRecovery();
    RestructureTables(session, {{a, true, "alt"}}, RecoveryChange::Replace, &recovery);
    EXPECT_TRUE(OpensWith(a, "alt"));
    EXPECT_TRUE(OpensWith(a, "", &recovery));

    // B's slots (another data key, the same password) spliced into A: the password
    // unwraps B's key, which does not open A's records.
    const std::string b = MakeTable(dir, "B");
    RestructureTables(session, {{b, true, "alt"}});
    TableStore sa(TableStore::BaseOf(a)), sb(TableStore::BaseOf(b));
    const TableFiles fa = sa.ReadRaw(), fb = sb.ReadRaw();
    const ParsedTable pa = ParseTable(fa.db, fa.px), pb = ParseTable(fb.db, fb.px);
    sa.Commit({ReplaceKeySlots(fa.db, pa, pb.header), fa.px, fa.mb}, false);
    Session s;
    s.AddPassword("alt");
    EXPECT_THROW(Table::Open(a, s, false), EngineError);
}
