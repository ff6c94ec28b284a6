#include "app/PasswordProtection.h"

#include "engine/Session.h"
#include "platform/SystemDirs.h"
#include "platform/file/FileFault.h"
#include "store/CategorySchema.h"
#include "store/EBdtError.h"
#include "store/TDataSetManager.h"
#include "store/TQuery.h"
#include "store/TSession.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kValue = "Kontonummer 4711-0815-Geheimbank";

std::string FirstTextField() {
    for (const SchemaField& field : TableFields(TableIndex::First))
        if (!field.memo)
            return field.name;
    return "";
}

// Answers of the password prompts, in order; an exhausted list cancels.
PasswordAsk Answers(std::deque<std::string> answers, int* asked = nullptr) {
    return [answers, asked](QWidget*, std::string& password) mutable {
        if (asked)
            ++*asked;
        if (answers.empty())
            return false;
        password = answers.front();
        answers.pop_front();
        return true;
    };
}

// A new user's two tables from the templates, opened by the global data set manager, with a
// field value stored in the first one.
class PasswordProtectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        Session().ClearPasswords();
        Session().SetKdfCost(1, 8192);
        m_document = m_docs.file("Erika.qlr");
        DataSetManager().SetDocumentPath(m_document);
        DataSetManager().Create();
        ASSERT_TRUE(DataSetManager().IsOpen) << "templates in " << QUILLORY_TEMPLATE_DIR;
        TQuery& table = *DataSetManager().FirstTable;
        table.Edit();
        DataSetManager().StoreField(table, kValue, FirstTextField());
        table.Post();
    }
    void TearDown() override {
        DetachPasswordRequest();
        DataSetManager().Close();
        Session().ClearPasswords();
        Session().ResetKdfCost();
    }

    static std::string Value() {
        std::string text;
        DataSetManager().LoadField(*DataSetManager().FirstTable, text, FirstTextField());
        return text;
    }
    // Every table's query, the third and later ones too.
    static bool BothActive() {
        for (TQuery* table : DataSetManager().Tables())
            if (!table->propActive())
                return false;
        return true;
    }
    static bool AllProtected(bool protect) {
        for (TQuery* table : DataSetManager().Tables())
            if (IsTableProtected(table) != protect)
                return false;
        return true;
    }
    // The bytes of the six working files.
    static std::vector<std::string> WorkingBytes() {
        std::vector<std::string> bytes;
        for (const std::string& file : DataSetManager().WorkFiles)
            bytes.push_back(ReadFileBytes(file));
        return bytes;
    }
    // Reopens both tables with nothing but these passwords in the session.
    static bool ReopensWith(const std::vector<std::string>& passwords) {
        TDataSetManager& m = DataSetManager();
        for (TQuery* table : m.Tables())
            table->propActive(false);
        Session().ClearPasswords();
        for (const std::string& p : passwords)
            Session().AddPassword(p);
        for (TQuery* table : m.Tables())
            table->propActive(true);
        return BothActive();
    }
    void Protect(DeskPasswordState& state, const std::string& password) {
        ScriptedMessages messages({IDYES});
        SetPasswordCommand(nullptr, state, Answers({password}));
        ASSERT_TRUE(state.isProtected);
    }
    // Packs the document, then opens it again as at the next start.
    void Restart(DeskPasswordState& state, PasswordAsk ask) {
        DataSetManager().Close();
        Session().ClearPasswords();
        state = {};
        AttachPasswordRequest(nullptr, state, std::move(ask));
        DataSetManager().Open(m_document);
    }

    TempDir m_temp;
    TempDir m_docs;
    ScopedSystemDirs m_dirs{QUILLORY_TEMPLATE_DIR, m_temp.path()};
    std::string m_document;
};

} // namespace

TEST_F(PasswordProtectionTest, UnprotectedUserIsWarnedFirstAndNoChangesNothing) {
    const auto before = WorkingBytes();
    DeskPasswordState state;
    ScriptedMessages messages({IDNO});
    int asked = 0;
    SetPasswordCommand(nullptr, state, Answers({"Geheim"}, &asked));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, kUsePasswordQuestion);
    EXPECT_EQ(messages.shown()[0].flags, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(messages.shown()[0].caption, "Quillory Version 1.0");
    EXPECT_EQ(asked, 0);
    EXPECT_FALSE(state.isProtected);
    EXPECT_EQ(WorkingBytes(), before);
    EXPECT_FALSE(QueryProtection());

    // Yes, then a cancelled or empty dialog: still nothing.
    messages.answer(IDYES);
    SetPasswordCommand(nullptr, state, Answers({}));
    messages.answer(IDYES);
    SetPasswordCommand(nullptr, state, Answers({""}));
    EXPECT_FALSE(state.isProtected);
    EXPECT_EQ(WorkingBytes(), before);
}

TEST_F(PasswordProtectionTest, SettingProtectsBothTablesAndHidesTheValues) {
    DeskPasswordState state;
    Protect(state, "Geheim1");
    EXPECT_TRUE(Session().Engine().IsNewestPassword("Geheim1"));
    EXPECT_TRUE(BothActive());
    EXPECT_TRUE(QueryProtection());
    EXPECT_TRUE(AllProtected(true));
    EXPECT_EQ(Value(), kValue);
    for (const std::string& bytes : WorkingBytes())
        EXPECT_EQ(bytes.find("Geheimbank"), std::string::npos);

    EXPECT_FALSE(ReopensWith({}));
    EXPECT_FALSE(ReopensWith({"geheim1"})) << "letter case counts";
    EXPECT_TRUE(ReopensWith({"Geheim1"}));
    EXPECT_EQ(Value(), kValue);
}

TEST_F(PasswordProtectionTest, ProtectedUserIsNotAskedAndThePasswordIsReplaced) {
    DeskPasswordState state;
    Protect(state, "Alt");
    ScriptedMessages messages;
    SetPasswordCommand(nullptr, state, Answers({"Neu"}));
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_TRUE(state.isProtected);
    EXPECT_TRUE(Session().Engine().IsNewestPassword("Neu"));
    EXPECT_TRUE(BothActive());
    EXPECT_FALSE(ReopensWith({"Alt"}));
    EXPECT_TRUE(ReopensWith({"Neu"}));
    EXPECT_EQ(Value(), kValue);
}

TEST_F(PasswordProtectionTest, RemovingNeedsAPasswordAndUnprotectsBothTables) {
    DeskPasswordState state;
    {
        ScriptedMessages messages;
        RemovePasswordCommand(nullptr, state);
        EXPECT_EQ(messages.texts(), std::vector<std::string>{kNoPasswordYet});
        EXPECT_EQ(messages.shown()[0].flags, MB_OK | MB_ICONINFORMATION);
    }
    Protect(state, "Geheim");
    ScriptedMessages messages;
    RemovePasswordCommand(nullptr, state);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_FALSE(state.isProtected);
    EXPECT_FALSE(Session().Engine().HasPasswords());
    EXPECT_TRUE(BothActive());
    EXPECT_FALSE(QueryProtection());
    EXPECT_TRUE(AllProtected(false));
    EXPECT_TRUE(ReopensWith({}));
    EXPECT_EQ(Value(), kValue);
}

TEST_F(PasswordProtectionTest, FailedSecondTableLeavesBothTablesAsTheyWere) {
    // The write steps of one table's commit, counted on a rewrite that changes nothing.
    int stepsPerCommit = 0;
    {
        auto count = ScopedFileFault::Counting();
        ASSERT_TRUE(ClearTablePassword(DataSetManager().WorkFiles[3]));
        stepsPerCommit = count.steps();
    }
    ASSERT_GT(stepsPerCommit, 2);

    for (bool protectedBefore : {false, true}) {
        SCOPED_TRACE(protectedBefore ? "changing" : "setting");
        DeskPasswordState state;
        if (protectedBefore)
            Protect(state, "Vorher");
        const auto before = WorkingBytes();
        ScriptedMessages messages({IDYES});
        {
            // inside the second table's commit
            auto fault = ScopedFileFault::FailingStep(stepsPerCommit + 2);
            SetPasswordCommand(nullptr, state, Answers({"Nachher"}));
        }
        EXPECT_EQ(messages.texts().back(), kSetPasswordFailed);
        EXPECT_EQ(state.isProtected, protectedBefore);
        if (protectedBefore)
            EXPECT_TRUE(Session().Engine().IsNewestPassword("Vorher"));
        else
            EXPECT_FALSE(Session().Engine().HasPasswords());
        EXPECT_EQ(WorkingBytes(), before);
        EXPECT_TRUE(BothActive());
        EXPECT_EQ(Value(), kValue);
    }

    // Removing fails the same way and keeps the protection.
    DeskPasswordState state{true}; // "Vorher" is the session's newest password
    const auto before = WorkingBytes();
    ScriptedMessages messages;
    {
        auto fault = ScopedFileFault::FailingStep(stepsPerCommit + 2);
        RemovePasswordCommand(nullptr, state);
    }
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kRemovePasswordFailed});
    EXPECT_TRUE(state.isProtected);
    EXPECT_EQ(WorkingBytes(), before);
    EXPECT_TRUE(QueryProtection());
}

TEST_F(PasswordProtectionTest, TablePasswordRoutinesRefuseWhatTheyCannotDo) {
    const std::string first = DataSetManager().WorkFiles[0];
    DataSetManager().FirstTable->propActive(false);
    EXPECT_FALSE(SetTablePassword("", first));
    EXPECT_FALSE(SetTablePassword("x", "relative.DB"));
    EXPECT_FALSE(SetTablePasswords("x", {first, m_docs.file("elsewhere.DB")}));
    EXPECT_FALSE(SetTablePassword("x", m_temp.file("missing.DB")));
    EXPECT_FALSE(IsTableProtected(DataSetManager().FirstTable)) << "inactive";
    EXPECT_FALSE(IsTableProtected(nullptr));
    // A protected table does not change without its password in the session.
    ASSERT_TRUE(SetTablePassword("eins", first));
    Session().ClearPasswords();
    EXPECT_FALSE(ClearTablePassword(first));
    EXPECT_FALSE(SetTablePassword("zwei", first));
    Session().AddPassword("eins");
    EXPECT_TRUE(ClearTablePassword(first));
}

TEST_F(PasswordProtectionTest, NextStartAsksUntilTheRightPasswordAndNotAfterRemoving) {
    DeskPasswordState state;
    Protect(state, "richtig");
    int asked = 0;
    ScriptedMessages messages;
    Restart(state, Answers({"falsch", "richtig"}, &asked));
    EXPECT_TRUE(DataSetManager().IsOpen);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(Session().Engine().IsNewestPassword("richtig"));
    EXPECT_EQ(Value(), kValue);
    EXPECT_TRUE(QueryProtection());
    state.isProtected = true;

    RemovePasswordCommand(nullptr, state);
    asked = 0;
    Restart(state, Answers({}, &asked));
    EXPECT_TRUE(DataSetManager().IsOpen);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(Value(), kValue);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PasswordProtectionTest, CancelAtThePromptLeavesNothingOpenOrBehind) {
    DeskPasswordState state;
    Protect(state, "richtig");
    DataSetManager().Close();
    const std::string document = ReadFileBytes(m_document);
    ScriptedMessages messages;
    Session().ClearPasswords();
    AttachPasswordRequest(nullptr, state, Answers({"falsch"}));
    EXPECT_THROW(DataSetManager().Open(m_document), EPasswordCancelled);
    EXPECT_FALSE(DataSetManager().IsOpen);
    EXPECT_TRUE(fs::is_empty(m_temp.path())) << "no working file is left";
    EXPECT_TRUE(messages.shown().empty()) << "no open error on top of the cancel";

    // Through the login wrapper the cancel is a cancelled login; nothing is written.
    AttachPasswordRequest(nullptr, state, Answers({}));
    const auto login = LoginEndingOnPasswordCancel([this] {
        DataSetManager().Open(m_document);
        return true;
    });
    EXPECT_FALSE(login());
    DataSetManager().Close();
    EXPECT_EQ(ReadFileBytes(m_document), document);
    EXPECT_TRUE(fs::is_empty(m_temp.path()));
}
