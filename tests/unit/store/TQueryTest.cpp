#include "store/TQuery.h"
#include "engine/TableImage.h"
#include "engine/TableStore.h"
#include "platform/file/FileFault.h"
#include "store/EngineCalls.h"
#include "store/TSession.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TQueryTest : ::testing::Test {
    TempDir dir;
    std::string path;
    TQueryTest() {
        InitBDTExceptions();
        Session().ClearPasswords();
        Session().SetKdfCost(1, 8192);
        engine::TableImage image;
        image.fields = {{"E1_1", engine::FieldType::Text, 47},
                        {"E1_123", engine::FieldType::Memo, 0}};
        engine::TableStore(dir.file("tmp1")).Commit(engine::EncodeTable(image, nullptr));
        path = dir.file("tmp1.DB");
    }
    ~TQueryTest() override {
        Session().ClearPasswords();
        Session().ResetKdfCost();
    }
    void Sql(TQuery& q, const std::string& from) {
        q.propSQL().Clear();
        q.propSQL().Add("SELECT * FROM");
        q.propSQL().Add(from);
    }
};

} // namespace

TEST_F(TQueryTest, TwoLineStatementOpensAndOthersAreRefused) {
    TQuery q;
    Sql(q, "\"" + path + "\";");
    q.Open();
    EXPECT_TRUE(q.propActive());
    EXPECT_NE(q.CursorHandle(), nullptr);
    q.propActive(false);
    EXPECT_EQ(q.CursorHandle(), nullptr);

    TQuery bad;
    bad.propSQL().Add("SELECT E1_1 FROM \"" + path + "\";");
    bad.Open();
    EXPECT_FALSE(bad.propActive());
    EXPECT_FALSE(bad.LastError().empty());

    TQuery missing;
    Sql(missing, "\"" + dir.file("none.DB") + "\";");
    missing.Open();
    EXPECT_FALSE(missing.propActive());
}

TEST_F(TQueryTest, FieldsRoundTripThroughEditAndPost) {
    const std::string memo = "Zeile 1\r\nZeile 2\r\n\r\n";
    {
        TQuery q;
        Sql(q, "\"" + path + "\";");
        q.propRequestLive(true);
        q.Open();
        ASSERT_TRUE(q.propActive());
        EXPECT_THROW(q.objFieldByName("E1_99"), EBdtError);
        EXPECT_THROW(q.objFieldByName("E1_1")->propAsString("x"), EBdtError); // not editing
        q.Edit();
        q.objFieldByName("E1_1")->propAsString("Äpfel, Öl, Übermaß");
        EXPECT_THROW(q.objFieldByName("E1_1")->propAsString(std::string(48, 'a')), EBdtError);
        TBlobField* blob = AsBlob(q.objFieldByName("E1_123"));
        ASSERT_NE(blob, nullptr);
        EXPECT_EQ(AsBlob(q.objFieldByName("E1_1")), nullptr);
        blob->propAsString(memo);
        q.Post();
        EXPECT_FALSE(q.Editing());
    }
    TQuery q;
    Sql(q, "\"" + path + "\";");
    q.Open();
    EXPECT_EQ(q.objFieldByName("E1_1")->propAsString(), "Äpfel, Öl, Übermaß");
    EXPECT_EQ(q.objFieldByName("E1_123")->propAsString(), memo);
    EXPECT_THROW(q.Edit(), EBdtError); // not a live result
}

TEST_F(TQueryTest, FailedPostThrowsAndKeepsTheEdit) {
    TQuery q;
    Sql(q, "\"" + path + "\";");
    q.propRequestLive(true);
    q.Open();
    q.Edit();
    q.objFieldByName("E1_1")->propAsString("neu");
    {
        auto fault = ScopedFileFault::FailingStep(0);
        EXPECT_THROW(q.Post(), EBdtError);
    }
    EXPECT_TRUE(q.Editing());
    EXPECT_NO_THROW(q.Post());
}

TEST_F(TQueryTest, PasswordEventAndDirectCalls) {
    hDBIDb db = nullptr;
    ASSERT_EQ(OpenDatabase(&db), kEngineOk);
    ASSERT_EQ(SetDatabaseDirectory(db, dir.path()), kEngineOk);
    RestructureDesc desc;
    desc.tableName = "tmp1.DB";
    desc.isProtected = true;
    desc.password = "Kennwort";
    ASSERT_EQ(RestructureTable(db, desc), kEngineOk);
    desc.tableType = "DBASE";
    EXPECT_EQ(RestructureTable(db, desc), kEngineBadArg);
    EXPECT_EQ(CloseDatabase(&db), kEngineOk);

    int asked = 0;
    auto token = Session().OnPassword.attach([&](TSession& s, bool& again) {
        ++asked;
        s.AddPassword(asked == 1 ? "falsch" : "Kennwort");
        again = asked <= 2;
    });
    TQuery q;
    Sql(q, "\"" + path + "\";");
    q.Open();
    Session().OnPassword.detach(token);
    EXPECT_EQ(asked, 2);
    ASSERT_TRUE(q.propActive());
    CursorProps props;
    ASSERT_EQ(GetCursorProps(q.CursorHandle(), &props), kEngineOk);
    EXPECT_EQ(props.isProtected, 1);
    EXPECT_EQ(props.fieldCount, 2);

    Session().ClearPasswords();
    q.propActive(false);
    q.propActive(true); // no handler, no password
    EXPECT_FALSE(q.propActive());
}

TEST(TStringsTest, EveryLineEndsInCrLf) {
    TStrings lines;
    lines.Add("SELECT * FROM");
    lines.Add("");
    lines.Add("\"x.DB\";");
    EXPECT_EQ(lines.Text(), "SELECT * FROM\r\n\r\n\"x.DB\";\r\n");
}
