#include "tests/integration/ProgramFixture.h"

#include "store/CategorySchema.h"
#include "store/TDataSetManager.h"
#include "store/TQuery.h"
#include "store/TSession.h"
#include "util/gui/TInputDialog2.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

constexpr const char* kSecret = "Geheimbank-4711-0815";

std::string FirstTextField() {
    for (const SchemaField& field : TableFields(TableIndex::First))
        if (!field.memo)
            return field.name;
    return "";
}

std::string StoredValue() {
    std::string text;
    if (DataSetManager().FirstTable->propActive())
        DataSetManager().LoadField(*DataSetManager().FirstTable, text, FirstTextField());
    return text;
}

void Type(QWidget* dialog, int id, const QString& text) {
    auto* edit = static_cast<TDialog*>(dialog)->ControlAs<QLineEdit>(id);
    ASSERT_NE(edit, nullptr);
    edit->setText(text);
}

// Answers the password prompts of one start, in order, and records their captions.
void AnswerPrompts(QObject* context, std::deque<QString> answers, std::vector<QString>* captions) {
    WhenModalShown(context, [context, answers, captions](QWidget* box) mutable {
        captions->push_back(box->windowTitle());
        if (answers.empty()) {
            static_cast<TDialog*>(box)->OnCommand(IDCANCEL);
            return;
        }
        Type(box, TInputDialog2::kEditId, answers.front());
        answers.pop_front();
        static_cast<TDialog*>(box)->OnCommand(IDOK);
        AnswerPrompts(context, answers, captions);
    });
}

class PasswordRun : public ProgramRun {
protected:
    void SetUp() override {
        ProgramRun::SetUp();
        Session().ClearPasswords();
        Session().SetKdfCost(1, 8192);
    }
    void TearDown() override {
        Session().ClearPasswords();
        Session().ResetKdfCost();
        ProgramRun::TearDown();
    }
    // Every start is a new process: the session knows no password yet.
    int Start(std::vector<std::function<void(TQuilloryDlgClient*)>> steps, bool* shown = nullptr) {
        Session().ClearPasswords();
        return Run({"Erika"}, std::move(steps), shown);
    }
    void ExpectNoSecretOnDisk() {
        EXPECT_EQ(ReadFileBytes(programDir.file("Erika.qlr")).find(kSecret), std::string::npos);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tempDir.path())) {
            if (entry.is_regular_file()) {
                EXPECT_EQ(ReadFileBytes(entry.path().string()).find(kSecret), std::string::npos)
                    << entry.path();
            }
        }
    }
    // A protected user with the secret stored, after one run that ended.
    void CreateProtectedUser() {
        ScriptedMessages messages({IDYES, IDYES});
        const auto store = [](TQuilloryDlgClient*) {
            TQuery& table = *DataSetManager().FirstTable;
            table.Edit();
            DataSetManager().StoreField(table, kSecret, FirstTextField());
            table.Post();
        };
        const auto setPassword = [](TQuilloryDlgClient* desk) {
            WhenModalShown(desk, [](QWidget* dialog) {
                EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Paßworteingabe"));
                Type(dialog, 122, QStringLiteral("richtig"));
                Type(dialog, 123, QStringLiteral("richtig"));
                static_cast<TDialog*>(dialog)->OnCommand(IDOK);
            });
            Press(desk, Centre(CmSetPassword));
            EXPECT_TRUE(desk->PasswordState().isProtected);
            EXPECT_EQ(SpotState(desk, CmSetPassword), 0);
        };
        const auto checkDisk = [this](TQuilloryDlgClient*) { ExpectNoSecretOnDisk(); };
        ASSERT_EQ(Start({store, setPassword, checkDisk, kExit}), 0);
        ASSERT_EQ(messages.shown().size(), 2u);
        EXPECT_EQ(messages.shown()[1].flags, MB_YESNO | MB_ICONEXCLAMATION);
        ExpectNoSecretOnDisk();
    }
};

} // namespace

TEST_F(PasswordRun, ProtectedUserIsAskedUntilTheRightPasswordAndNotAfterRemoving) {
    CreateProtectedUser();

    QObject prompts;
    std::vector<QString> captions;
    AnswerPrompts(&prompts, {QStringLiteral("falsch"), QStringLiteral("richtig")}, &captions);
    std::string value;
    bool wasProtected = false;
    const auto read = [&](TQuilloryDlgClient* desk) {
        value = StoredValue();
        wasProtected = desk->PasswordState().isProtected;
    };
    const auto remove = [](TQuilloryDlgClient* desk) {
        Press(desk, Centre(CmRemovePassword));
        EXPECT_FALSE(desk->PasswordState().isProtected);
    };
    ScriptedMessages messages;
    ASSERT_EQ(Start({read, remove, kExit}), 0);
    EXPECT_EQ(captions, (std::vector<QString>{QStringLiteral("Geben Sie das Paßwort ein!"),
                                              QStringLiteral("Geben Sie das Paßwort ein!")}));
    EXPECT_EQ(value, kSecret);
    EXPECT_TRUE(wasProtected);
    EXPECT_TRUE(messages.shown().empty());

    // Unprotected now: the next start asks nothing.
    captions.clear();
    QObject noPrompt;
    AnswerPrompts(&noPrompt, {}, &captions);
    value.clear();
    ASSERT_EQ(Start({read, kExit}), 0);
    EXPECT_TRUE(captions.empty());
    EXPECT_EQ(value, kSecret);
    EXPECT_FALSE(wasProtected);
}

TEST_F(PasswordRun, CancelAtThePromptEndsAtOnceAndWritesNothing) {
    CreateProtectedUser();
    const std::string document = ReadFileBytes(programDir.file("Erika.qlr"));
    WritePrivateProfileString("LASTUSER", "NAME", "Jemand", windowsDir.file("Quillory.Ini"));

    QObject prompts;
    std::vector<QString> captions;
    AnswerPrompts(&prompts, {QStringLiteral("falsch")}, &captions);
    ScriptedMessages messages;
    bool shown = false;
    EXPECT_EQ(Start({kExit}, &shown), 0);
    EXPECT_FALSE(shown);
    EXPECT_EQ(captions.size(), 2u);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(ReadFileBytes(programDir.file("Erika.qlr")), document);
    EXPECT_EQ(LastUser(), "Jemand");
    EXPECT_TRUE(std::filesystem::is_empty(tempDir.path()));
}

namespace {

// Calls `act` with the password prompt once it is the modal window, polling from the loop.
void WhenPromptShown(QObject* context, std::function<void(TDialog*)> act) {
    QTimer::singleShot(1, context, [context, act] {
        QWidget* box = QApplication::activeModalWidget();
        if (box && box->isVisible() &&
            box->windowTitle() == QStringLiteral("Geben Sie das Paßwort ein!")) {
            act(static_cast<TDialog*>(box));
        } else {
            WhenPromptShown(context, act);
        }
    });
}

} // namespace

TEST_F(PasswordRun, LockedDeskReturnsWithTheOpenFormAndCancelThereEndsLikeTheExitSpot) {
    CreateProtectedUser();
    std::chrono::steady_clock::time_point now{};
    Session().ClearPasswords();
    auto login = std::make_unique<QObject>();
    std::vector<QString> captions;
    AnswerPrompts(login.get(), {QStringLiteral("richtig")}, &captions);

    const auto confirm = [&login](TQuilloryDlgClient*) {
        login.reset(); // no more answers to login prompts
        TQuery& table = *DataSetManager().FirstTable;
        table.Edit();
        DataSetManager().StoreField(table, "bestätigt", FirstTextField());
        table.Post();
    };
    bool hiddenAtPrompt = false;
    QString textAfterUnlock;
    const auto lockWithFormOpen = [&](TQuilloryDlgClient* desk) {
        auto* lock = desk->window()->findChild<DeskLock*>();
        ASSERT_NE(lock, nullptr);
        WhenModalShown(desk, [&, desk, lock](QWidget* form) {
            Type(form, 100, QStringLiteral("unbestätigt"));
            const QRect place = form->geometry();
            WhenPromptShown(desk, [&, desk, form](TDialog* prompt) {
                hiddenAtPrompt = !desk->isVisible() && !form->isVisible();
                Type(prompt, TInputDialog2::kEditId, QStringLiteral("falsch"));
                prompt->OnCommand(IDOK);
                WhenPromptShown(desk, [](TDialog* again) {
                    Type(again, TInputDialog2::kEditId, QStringLiteral("richtig"));
                    again->OnCommand(IDOK);
                });
            });
            now += std::chrono::minutes(10);
            lock->CheckIdle();
            EXPECT_EQ(form->geometry(), place);
            textAfterUnlock = form->isVisible() && desk->isVisible()
                                  ? static_cast<TDialog*>(form)->ControlAs<QLineEdit>(100)->text()
                                  : QString();
            // Locked again; Cancel (Esc) at the prompt.
            WhenPromptShown(desk, [](TDialog* prompt) { prompt->OnCommand(IDCANCEL); });
            now += std::chrono::minutes(10);
            lock->CheckIdle();
        });
        Press(desk, Centre(12)); // Persönliches, open until the program ends
    };
    ScriptedMessages messages;
    const int status =
        Run({"Erika"}, {confirm, lockWithFormOpen}, nullptr,
            [&now](TQuilloryApp::Options& options) { options.lockClock = [&now] { return now; }; });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(hiddenAtPrompt);
    EXPECT_EQ(textAfterUnlock, QStringLiteral("unbestätigt"));
    EXPECT_EQ(GetPrivateProfileString("OPTIONS", "AUTOLOCK", "", windowsDir.file("Quillory.Ini")),
              "10");
    ExpectNoSecretOnDisk();

    // The confirmed value was written at the end, the form's unconfirmed text was not.
    QObject prompts;
    AnswerPrompts(&prompts, {QStringLiteral("richtig")}, &captions);
    std::string value;
    ASSERT_EQ(Start({[&value](TQuilloryDlgClient*) { value = StoredValue(); }, kExit}), 0);
    EXPECT_EQ(value, "bestätigt");
}
