#include "app/Login.h"

#include "platform/Profile.h"
#include "tests/support/TestSupport.h"
#include "util/FileUtil.h"
#include "util/VersionTitle.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <deque>
#include <string>
#include <vector>

namespace {

// A login with scripted input-box answers and a recording data store.
struct LoginRig {
    TempDir programDir;
    TempDir windowsDir;
    std::deque<std::string> typed; // each entry typed over the proposal; "\x18" cancels
    std::vector<std::string> proposals;
    std::vector<std::string> calls;
    DocumentOutcome openOutcome = DocumentOutcome::Done;
    std::string prompt;

    LoginServices services() {
        LoginServices s;
        s.askName = [this](const std::string& text, std::string& name) {
            prompt = text;
            proposals.push_back(name);
            if (typed.empty() || typed.front() == "\x18") {
                return false;
            }
            name = typed.front();
            typed.pop_front();
            return true;
        };
        s.setDocumentPath = [this](const std::string& path) { calls.push_back("path " + path); };
        s.open = [this](const std::string& path) {
            calls.push_back("open " + path);
            const auto outcome = openOutcome;
            openOutcome = DocumentOutcome::Done;
            return outcome;
        };
        s.create = [this] {
            calls.push_back("create");
            return DocumentOutcome::Done;
        };
        return s;
    }
    LoginOutcome run() { return RunLogin(services(), programDir.path(), windowsDir.path()); }
    std::string settings() const { return windowsDir.file("Quillory.Ini"); }
    std::string lastUser() const {
        return GetPrivateProfileString("LASTUSER", "NAME", "<none>", settings());
    }
};

} // namespace

TEST(Login, FirstStartCreatesSettingsProposesNoNameAndCreatesTheTypedUser) {
    LoginRig rig;
    rig.typed = {"Quillory"};
    ScriptedMessages messages({IDYES});
    const LoginOutcome outcome = rig.run();

    struct stat st {};
    ASSERT_EQ(stat(rig.settings().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(rig.prompt, "Geben Sie Ihren Benutzernamen ein:");
    EXPECT_EQ(rig.proposals, std::vector<std::string>{""});
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text,
              "Der Benutzer existiert noch nicht, soll ein neuer Benutzer erstellt werden?");
    EXPECT_EQ(messages.shown()[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(messages.shown()[0].caption, kVersionTitle);

    const std::string doc = rig.programDir.file("Quillory.qlr");
    EXPECT_EQ(outcome.result, LoginResult::Created);
    EXPECT_EQ(outcome.documentPath, doc);
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"path " + doc, "create"}));
    ASSERT_EQ(stat(doc.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(rig.lastUser(), "Quillory");
}

TEST(Login, QlrInTheNameInAnyCaseIsNotAddedAgainAndTheTypedNameIsStored) {
    LoginRig rig;
    WriteFileBytes(rig.programDir.file("Hans.QLR"), "");
    rig.typed = {"Hans.QLR"};
    ScriptedMessages messages;
    const LoginOutcome outcome = rig.run();
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(outcome.result, LoginResult::Opened);
    const std::string doc = rig.programDir.file("Hans.QLR");
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"path " + doc, "open " + doc}));
    EXPECT_EQ(rig.lastUser(), "Hans.QLR");

    LoginRig second;
    second.typed = {"Hans"};
    ScriptedMessages yes({IDYES});
    EXPECT_EQ(second.run().documentPath, second.programDir.file("Hans.qlr"));
    EXPECT_EQ(second.lastUser(), "Hans");
}

TEST(Login, NoToTheQuestionShowsTheTypedNameAgainAndCancelKeepsTheLastUser) {
    LoginRig rig;
    WritePrivateProfileString("LASTUSER", "NAME", "Erika", rig.settings());
    rig.typed = {"Hans", "\x18"};
    ScriptedMessages messages({IDNO});
    EXPECT_EQ(rig.run().result, LoginResult::Cancelled);
    EXPECT_EQ(rig.proposals, (std::vector<std::string>{"Erika", "Hans"}));
    EXPECT_TRUE(rig.calls.empty());
    EXPECT_FALSE(FileExists(rig.programDir.file("Hans.qlr")));
    EXPECT_EQ(rig.lastUser(), "Erika");
}

TEST(Login, EmptyNameAndNamesThatAreNoPlainFileNamesAreRefused) {
    LoginRig rig;
    rig.typed = {"", "../Hans", "a\\b", ".", "..", std::string("a\0b", 3), "Hans"};
    ScriptedMessages messages({IDOK, IDOK, IDOK, IDOK, IDOK, IDOK, IDYES});
    const LoginOutcome outcome = rig.run();
    EXPECT_EQ(outcome.result, LoginResult::Created);
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{"Ungültiger Benutzername", "Ungültiger Dateiname",
                                        "Ungültiger Dateiname", "Ungültiger Dateiname",
                                        "Ungültiger Dateiname", "Ungültiger Dateiname",
                                        "Der Benutzer existiert noch nicht, soll ein neuer "
                                        "Benutzer erstellt werden?"}));
    EXPECT_EQ(messages.shown()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
    // After an empty name the prompt comes back empty; after a refused name, as typed.
    EXPECT_EQ(rig.proposals[1], "");
    EXPECT_EQ(rig.proposals[2], "../Hans");
    EXPECT_EQ(rig.lastUser(), "Hans");
    EXPECT_FALSE(FileExists(rig.programDir.path() + "../Hans.qlr"));
}

TEST(Login, ANameTheFileSystemRejectsGivesInvalidFileName) {
    LoginRig rig;
    rig.typed = {std::string(300, 'x'), "\x18"};
    ScriptedMessages messages({IDYES});
    EXPECT_EQ(rig.run().result, LoginResult::Cancelled);
    EXPECT_EQ(messages.texts().back(), "Ungültiger Dateiname");
    EXPECT_EQ(rig.proposals.back(), std::string(300, 'x'));
    EXPECT_TRUE(rig.calls.empty());
}

TEST(Login, ADocumentInUseElsewhereRecordsTheUserAndAsksAgain) {
    LoginRig rig;
    WriteFileBytes(rig.programDir.file("Hans.qlr"), "");
    rig.typed = {"Hans", "\x18"};
    rig.openOutcome = DocumentOutcome::InUse;
    ScriptedMessages messages;
    EXPECT_EQ(rig.run().result, LoginResult::Cancelled);
    EXPECT_EQ(rig.proposals, (std::vector<std::string>{"", "Hans"}));
    EXPECT_EQ(rig.lastUser(), "Hans");
}

TEST(Login, AYesToADocumentMadeMeanwhileOpensItAndNeverTruncates) {
    LoginRig rig;
    rig.typed = {"carl"};
    const std::string doc = rig.programDir.file("carl.qlr");
    // Another program creates carl while this one waits at the question.
    const MessageHandler previous = SetMessageHandler([&](const MessageRequest&) {
        WriteFileBytes(doc, "Bankdaten von carl");
        return int(IDYES);
    });
    const LoginOutcome outcome = rig.run();
    SetMessageHandler(previous);
    EXPECT_EQ(outcome.result, LoginResult::Opened);
    EXPECT_EQ(rig.calls, (std::vector<std::string>{"path " + doc, "open " + doc}));
    EXPECT_EQ(ReadFileBytes(doc), "Bankdaten von carl");
}

TEST(Login, ANameWithBlanksOrQuotesIsProposedUnchangedAtTheNextStart) {
    for (const std::string name : {"  Anna  ", "\"Anna\""}) {
        LoginRig rig;
        rig.typed = {name};
        ScriptedMessages messages({IDYES});
        EXPECT_EQ(rig.run().result, LoginResult::Created);
        EXPECT_TRUE(FileExists(rig.programDir.file(name + ".qlr")));
        rig.proposals.clear();
        rig.typed = {"\x18"};
        rig.run();
        EXPECT_EQ(rig.proposals, std::vector<std::string>{name});
    }
}

TEST(Login, AProgramFolderWithoutWriteAccessIsNamedInsteadOfAnInvalidName) {
    LoginRig rig;
    // A folder below a plain file takes no files, whoever runs the test.
    WriteFileBytes(rig.programDir.file("datei"), "");
    const std::string folder = rig.programDir.file("datei/");
    rig.typed = {"Hans", "\x18"};
    ScriptedMessages messages({IDOK, IDYES, IDOK});
    EXPECT_EQ(RunLogin(rig.services(), folder, rig.windowsDir.path()).result,
              LoginResult::Cancelled);
    const std::vector<std::string> texts = messages.texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_NE(texts[0].find(folder), std::string::npos) << texts[0];
    EXPECT_EQ(texts[2], texts[0]);
    EXPECT_TRUE(rig.calls.empty());

    // A name with a line break could never be proposed again.
    messages.clear();
    rig.typed = {"Zwei\nZeilen", "\x18"};
    rig.run();
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Ungültiger Dateiname"});
}
