#include "engine/EngineError.h"
#include "engine/Restructure.h"
#include "engine/SqlStatement.h"
#include "engine/Table.h"
#include "engine/TableStore.h"
#include "platform/file/FileFault.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

using namespace engine;
namespace fs = std::filesystem;

namespace {

const char* const kExts[] = {".DB", ".PX", ".MB"};

// A table of one text field of 47 characters, a short one and a memo, with one record.
std::string MakeTable(const TempDir& dir, const std::string& name = "T") {
    TableImage image;
    image.fields = {{"E1_1", FieldType::Text, 47},
                    {"E1_2", FieldType::Text, 19},
                    {"E1_123", FieldType::Memo, 0}};
    image.records = {{"Grüße aus Köln", "", "erste\r\nzweite\r\n\r\n"}};
    TableStore store(dir.file(name));
    store.Commit(EncodeTable(image, nullptr));
    return dir.file(name + ".DB");
}

struct EngineTest : ::testing::Test {
    TempDir dir;
    Session session;
    EngineTest() { session.newTableKdf = {1, 8192}; }
};

} // namespace

TEST_F(EngineTest, RoundTripOfEveryKindOfValue) {
    std::string path = MakeTable(dir);
    std::string text47(47, 'x');
    text47.replace(0, 2, "ß"); // 46 characters plus ß
    text47 += "x";
    std::string bigMemo(1 << 20, 'm');
    bigMemo[500] = '\r';
    bigMemo[501] = '\n';
    bigMemo += "\r\n\r\n";
    {
        auto t = Table::Open(path, session);
        t->Post({text47, "", bigMemo});
    }
    auto t = Table::Open(path, session);
    EXPECT_EQ(t->Value(0), text47);
    EXPECT_EQ(t->Value(1), "");
    EXPECT_EQ(t->Value(2), bigMemo);
    EXPECT_EQ(t->FieldIndex("E9_9"), -1);
    EXPECT_THROW(t->Post({text47 + "y", "", ""}), EngineError);
    EXPECT_EQ(t->Value(0), text47);
}

TEST_F(EngineTest, FailureAtEveryWriteStepLeavesOldOrNewRecord) {
    std::string path = MakeTable(dir);
    // Both kinds of commit: the memo kept (.PX and .DB written), and the memo changed too.
    for (bool memoChanges : {false, true}) {
        Table::Open(path, session)->Post({"a", "", memoChanges ? "m0" : "m"});
        Table::Open(path, session)->Post({"a", "", "m"});
        int steps = 0;
        {
            auto table = Table::Open(path, session);
            auto count = ScopedFileFault::Counting();
            table->Post({"a", "", memoChanges ? "m1" : "m"});
            steps = count.steps();
        }
        ASSERT_GT(steps, 0);
        for (int n = 0; n < steps; ++n) {
            std::vector<std::string> before;
            {
                auto t = Table::Open(path, session);
                before = {t->Value(0), t->Value(1), t->Value(2)};
            }
            std::vector<std::string> next = {before[0] + "b", "",
                                             memoChanges ? before[2] + "n" : before[2]};
            {
                auto t = Table::Open(path, session);
                auto fault = ScopedFileFault::FailingStep(n);
                try {
                    t->Post(next);
                } catch (const EngineError&) {
                }
            }
            auto t = Table::Open(path, session);
            std::vector<std::string> now = {t->Value(0), t->Value(1), t->Value(2)};
            EXPECT_TRUE(now == before || now == next) << "step " << n << " memo " << memoChanges;
            // What was opened after the failure posts again normally.
            t->Post(now);
        }
    }
}

// A commit cut off before its last rename leaves ".old" files that the next open puts back. A
// failure at any step of that recovery (its renames too) leaves the old or the new record,
// and the next open finishes the recovery.
TEST_F(EngineTest, RecoveryOfAnInterruptedCommitFailingAtEveryStep) {
    const std::vector<std::string> before = {"alt", "", "alte Notiz"};
    const std::vector<std::string> next = {"neu", "", "neue Notiz"};
    const auto open = [this](int failingStep) {
        auto fault = ScopedFileFault::FailingStep(failingStep);
        try {
            return Table::Open(dir.file("T.DB"), session);
        } catch (const EngineError&) {
            return std::unique_ptr<Table>();
        }
    };
    const auto kept = [this] {
        return fs::exists(dir.file("T.PX.old")) || fs::exists(dir.file("T.MB.old"));
    };
    int recoveries = 0;
    for (int n = 0; n < 12; ++n) {
        for (int m = 0; m < 12; ++m) {
            Table::Open(MakeTable(dir), session)->Post(before);
            if (auto t = open(-1)) {
                auto fault = ScopedFileFault::FailingStep(n); // the commit cut off
                try {
                    t->Post(next);
                } catch (const EngineError&) {
                }
            }
            if (!kept())
                break;
            recoveries += open(m) == nullptr;
            auto t = Table::Open(dir.file("T.DB"), session);
            const std::vector<std::string> now = {t->Value(0), t->Value(1), t->Value(2)};
            EXPECT_TRUE(now == before || now == next) << "commit step " << n << ", open step " << m;
            EXPECT_FALSE(kept()) << "commit step " << n << ", open step " << m;
        }
    }
    EXPECT_GT(recoveries, 0);
}

// A form whose OK failed stays open and posts again through the same table: the retry
// finishes what the failed commit left (kept .old files, a half-renamed set) and stores it.
TEST_F(EngineTest, PostAgainOnTheSameTableAfterAFailureAtEveryStep) {
    std::string path = MakeTable(dir);
    for (bool memoChanges : {false, true}) {
        int steps = 0;
        {
            auto table = Table::Open(path, session);
            auto count = ScopedFileFault::Counting();
            table->Post({"z", "", memoChanges ? "z1" : table->Value(2)});
            steps = count.steps();
        }
        for (int n = 0; n < steps; ++n) {
            auto table = Table::Open(path, session);
            const std::string memo = memoChanges ? table->Value(2) + "n" : table->Value(2);
            const std::vector<std::string> next = {table->Value(0) + "b", "", memo};
            {
                auto fault = ScopedFileFault::FailingStep(n);
                try {
                    table->Post(next);
                } catch (const EngineError&) {
                }
            }
            table->Post(next);
            auto reopened = Table::Open(path, session);
            EXPECT_EQ(reopened->Value(0), next[0]) << "step " << n << " memo " << memoChanges;
            EXPECT_EQ(reopened->Value(2), next[2]) << "step " << n << " memo " << memoChanges;
            struct stat st {};
            for (const char* ext : {".PX.old", ".MB.old"})
                EXPECT_NE(::stat(dir.file(std::string("T") + ext).c_str(), &st), 0) << ext << n;
        }
    }
}

TEST_F(EngineTest, PostWithoutMemoChangeLeavesTheMemoFileAlone) {
    std::string path = MakeTable(dir);
    const std::string memo = dir.file("T.MB");
    Table::Open(path, session)->Post({"eins", "", "Notiz"}); // first post: the new layout
    const std::string bytes = ReadFileBytes(memo);
    struct stat before {};
    ASSERT_EQ(::stat(memo.c_str(), &before), 0);
    {
        auto t = Table::Open(path, session);
        t->Post({"zwei", "", "Notiz"}); // the same memo given again
        RecordChanges changes(3);
        changes[1] = "kurz";
        t->Post(changes);
    }
    struct stat after {};
    ASSERT_EQ(::stat(memo.c_str(), &after), 0);
    EXPECT_EQ(ReadFileBytes(memo), bytes);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    auto t = Table::Open(path, session);
    EXPECT_EQ(t->Value(0), "zwei");
    EXPECT_EQ(t->Value(1), "kurz");
    EXPECT_EQ(t->Value(2), "Notiz");
    // A memo file of an earlier generation does not pass for the current one.
    t->Post({"drei", "", "andere Notiz"});
    WriteFileBytes(memo, bytes);
    EXPECT_THROW(Table::Open(path, session), EngineError);
}

TEST_F(EngineTest, DamagedFilesFailCleanly) {
    std::string path = MakeTable(dir);
    std::string other = MakeTable(dir, "O");
    Table::Open(other, session)->Post({"anders", "", "x"});
    for (const char* ext : kExts) {
        std::string file = dir.file(std::string("T") + ext);
        std::string good = ReadFileBytes(file);
        std::string flipped = good;
        flipped[flipped.size() / 2] ^= 0x10;
        std::string otherBytes = ReadFileBytes(dir.file(std::string("O") + ext));
        for (const std::string& bad : {flipped, good.substr(0, good.size() - 1), otherBytes}) {
            WriteFileBytes(file, bad);
            EXPECT_THROW(Table::Open(path, session), EngineError) << ext;
        }
        WriteFileBytes(file, good);
        EXPECT_NO_THROW(Table::Open(path, session));
    }
}

TEST_F(EngineTest, ProtectionSetsRefusesChangesAndClears) {
    std::string path = MakeTable(dir);
    RestructureTables(session, {{path, true, "Geheim1"}});
    for (const char* ext : kExts) {
        std::string bytes = ReadFileBytes(dir.file(std::string("T") + ext));
        EXPECT_EQ(bytes.find("Köln"), std::string::npos) << ext;
        EXPECT_EQ(bytes.find("zweite"), std::string::npos) << ext;
    }
    Session fresh;
    int asked = 0;
    fresh.onPasswordRequest = [&] {
        ++asked;
        if (asked == 1) {
            fresh.AddPassword("falsch");
            return true;
        }
        if (asked == 2) {
            fresh.AddPassword("Geheim1");
            return true;
        }
        return false;
    };
    auto t = Table::Open(path, fresh);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(t->IsProtected());
    EXPECT_EQ(t->Value(0), "Grüße aus Köln");
    t.reset();

    Session none;
    int noneAsked = 0;
    none.onPasswordRequest = [&] {
        ++noneAsked;
        return false;
    };
    EXPECT_THROW(Table::Open(path, none), EngineError);
    EXPECT_EQ(noneAsked, 1);

    session.AddPassword("Geheim1");
    RestructureTables(session, {{path, true, "Neu2"}});
    Session withOld;
    withOld.AddPassword("Geheim1");
    EXPECT_THROW(Table::Open(path, withOld, false), EngineError);
    session.AddPassword("Neu2");
    RestructureTables(session, {{path, false, ""}});
    Session plain;
    auto open = Table::Open(path, plain, false);
    EXPECT_FALSE(open->IsProtected());
    EXPECT_EQ(open->Value(2), "erste\r\nzweite\r\n\r\n");
}

TEST_F(EngineTest, TamperedProtectedFileDoesNotOpen) {
    std::string path = MakeTable(dir);
    RestructureTables(session, {{path, true, "Geheim1"}});
    session.AddPassword("Geheim1");
    for (const char* ext : kExts) {
        std::string file = dir.file(std::string("T") + ext);
        std::string good = ReadFileBytes(file);
        std::string bad = good;
        bad[bad.size() - 3] ^= 0x01;
        WriteFileBytes(file, bad);
        EXPECT_THROW(Table::Open(path, session, false), EngineError) << ext;
        WriteFileBytes(file, good);
    }
    EXPECT_NO_THROW(Table::Open(path, session, false));
}

TEST_F(EngineTest, RestructureIsAllOrNothing) {
    std::string a = MakeTable(dir, "A");
    std::string b = MakeTable(dir, "B");
    RestructureTables(session, {{b, true, "BPass"}});
    Session other;
    other.newTableKdf = {1, 8192};
    EXPECT_THROW(RestructureTables(other, {{a, true, "X"}, {b, true, "X"}}), EngineError);
    EXPECT_FALSE(Table::Open(a, other, false)->IsProtected());
}

TEST_F(EngineTest, OversizedKeyDerivationCostIsDamageAndNothingIsDerived) {
    const KdfParams own = DefaultKdf();
    EXPECT_TRUE(KdfParamsAcceptable(own));
    EXPECT_TRUE(KdfParamsAcceptable({4 * own.opsLimit, own.memLimit}));
    EXPECT_TRUE(KdfParamsAcceptable({own.opsLimit, 4 * own.memLimit}));
    const KdfParams crafted[] = {{32, 1024ull << 20},
                                 {4 * own.opsLimit + 1, 8192},
                                 {own.opsLimit, 4 * own.memLimit + 1},
                                 {2 * own.opsLimit, 2 * own.memLimit + 1024}};
    for (const KdfParams& kdf : crafted) {
        EXPECT_FALSE(KdfParamsAcceptable(kdf)) << kdf.opsLimit << " " << kdf.memLimit;
        TableImage image;
        image.fields = {{"E1_1", FieldType::Text, 47}};
        image.records = {{"Konto"}};
        image.isProtected = true;
        image.kdf = kdf;
        SecretKey key;
        TableStore(dir.file("K")).Commit(EncodeTable(image, &key));
        Session s;
        s.AddPassword("geheim");
        int asked = 0;
        s.onPasswordRequest = [&] { return ++asked < 2; };
        try {
            Table::Open(dir.file("K.DB"), s);
            ADD_FAILURE() << "opened";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.code(), Errc::Format) << e.what(); // refused before any derivation
        }
        EXPECT_EQ(asked, 0);
    }
}

TEST(SqlStatementTest, OnlyTheOneStatement) {
    EXPECT_EQ(ParseSelectAll("SELECT * FROM\r\n\"/tmp/a b/x.DB\";\r\n"), "/tmp/a b/x.DB");
    EXPECT_EQ(ParseSelectAll("select *\nfrom \"x.DB\" ;"), "x.DB");
    for (const char* bad : {"SELECT E1_1 FROM \"x.DB\";", "DELETE FROM \"x.DB\";",
                            "SELECT * FROM \"x.DB\"; DROP", "SELECT * FROM x.DB;", ""})
        EXPECT_THROW(ParseSelectAll(bad), EngineError) << bad;
}

TEST_F(EngineTest, FailedSecondCommitOfRestructureRestoresTheFirst) {
    std::string a = MakeTable(dir, "A");
    std::string b = MakeTable(dir, "B");
    std::string c = MakeTable(dir, "C");
    int stepsPerCommit = 0;
    {
        auto count = ScopedFileFault::Counting();
        RestructureTables(session, {{c, true, "x"}});
        stepsPerCommit = count.steps();
    }
    {
        auto fault = ScopedFileFault::FailingStep(stepsPerCommit + 2); // inside the commit of B
        EXPECT_THROW(RestructureTables(session, {{a, true, "P"}, {b, true, "P"}}), EngineError);
    }
    Session plain;
    EXPECT_FALSE(Table::Open(a, plain, false)->IsProtected());
    EXPECT_FALSE(Table::Open(b, plain, false)->IsProtected());
    EXPECT_EQ(Table::Open(a, plain, false)->Value(0), "Grüße aus Köln");
}

TEST_F(EngineTest, PasswordListClearedAndRefilledDuringTheRequestIsTriedAgain) {
    std::string path = MakeTable(dir);
    RestructureTables(session, {{path, true, "richtig"}});
    Session s;
    s.AddPassword("falsch");
    int asked = 0;
    s.onPasswordRequest = [&] {
        ++asked;
        s.ClearPasswords();
        s.AddPassword("richtig");
        return asked < 3;
    };
    EXPECT_NO_THROW(Table::Open(path, s));
    EXPECT_EQ(asked, 1);
}

TEST_F(EngineTest, OneKeyDerivationPerUnlockAndPerNewPassword) {
    std::string a = MakeTable(dir, "A");
    std::string b = MakeTable(dir, "B");
    auto derivations = [last = KeyDerivationCount()]() mutable {
        uint64_t now = KeyDerivationCount();
        uint64_t since = now - last;
        last = now;
        return since;
    };
    auto openBoth = [&](Session& s) {
        EXPECT_EQ(Table::Open(a, s, false)->Value(0), "Grüße aus Köln");
        EXPECT_EQ(Table::Open(b, s, false)->Value(0), "Grüße aus Köln");
    };

    RestructureTables(session, {{a, true, "alt"}, {b, true, "alt"}});
    EXPECT_EQ(derivations(), 1u) << "set";

    Session login;
    login.newTableKdf = session.newTableKdf;
    login.AddPassword("falsch");
    login.AddPassword("alt");
    openBoth(login);
    EXPECT_EQ(derivations(), 1u) << "unlock, newest password first";

    RestructureTables(login, {{a, true, "neu"}, {b, true, "neu"}});
    EXPECT_EQ(derivations(), 1u) << "change";
    login.AddPassword("neu");
    openBoth(login);
    EXPECT_EQ(derivations(), 0u) << "open again after the change";

    RestructureTables(login, {{a, false, ""}, {b, false, ""}});
    EXPECT_EQ(derivations(), 0u) << "remove";
    Session none;
    openBoth(none);
    EXPECT_EQ(derivations(), 0u);
}
