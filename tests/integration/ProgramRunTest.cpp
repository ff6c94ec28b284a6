#include "tests/integration/ProgramFixture.h"

#include "forms/TCategoryForm.h"
#include "platform/gui/TDialog.h"
#include "store/TDataSetManager.h"

#include <QLineEdit>

#include <csignal>

#include <gtest/gtest.h>

TEST_F(ProgramRun, FirstStartCreatesTheUserAndExitWritesTheDocument) {
    ScriptedMessages messages({IDYES});
    bool shown = false;
    EXPECT_EQ(Run({"Quillory"}, {kExit}, &shown), 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{
                  "Der Benutzer existiert noch nicht, soll ein neuer Benutzer erstellt werden?"});
    EXPECT_FALSE(ReadFileBytes(programDir.file("Quillory.qlr")).empty());
    EXPECT_EQ(LastUser(), "Quillory");

    // The next start opens it without asking.
    messages.clear();
    EXPECT_EQ(Run({"Quillory"}, {kExit}), 0);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProgramRun, CancelledLoginEndsAtOnceWithoutWindowAndWritesNothing) {
    WritePrivateProfileString("LASTUSER", "NAME", "Erika", windowsDir.file("Quillory.Ini"));
    ScriptedMessages messages;
    bool shown = false;
    EXPECT_EQ(Run({}, {kExit}, &shown), 0);
    EXPECT_FALSE(shown);
    EXPECT_EQ(LastUser(), "Erika");
    EXPECT_FALSE(std::filesystem::exists(programDir.file("Erika.qlr")));
}

TEST_F(ProgramRun, AboutBoxAndHelpRunWithTheSpotPressedAndNormalAfter) {
    WriteFileBytes(programDir.file("Quillory.hlp"), "<html><body>Hilfe</body></html>");
    ScriptedMessages messages({IDYES});
    std::vector<int> pressedDuring;
    std::vector<int> after;
    bool helpShown = false;
    const auto about = [&](TQuilloryDlgClient* desk) {
        WhenModalShown(desk, [&, desk](QWidget* box) {
            pressedDuring.push_back(SpotState(desk, CmAbout));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Quillory Version 1.0"));
            QMetaObject::invokeMethod(box, "accept");
        });
        Press(desk, Centre(CmAbout));
        after.push_back(SpotState(desk, CmAbout));
    };
    const auto help = [&](TQuilloryDlgClient* desk) {
        Press(desk, Centre(CmHelp));
        helpShown = HelpWindow() && HelpWindow()->isVisible();
        after.push_back(SpotState(desk, CmHelp));
    };
    EXPECT_EQ(Run({"Hans"}, {about, help, kExit}), 0);
    EXPECT_EQ(pressedDuring, std::vector<int>{1});
    EXPECT_EQ(after, (std::vector<int>{0, 0}));
    EXPECT_TRUE(helpShown);
    EXPECT_EQ(HelpWindow(), nullptr) << "the help window ends with the loop";
    EXPECT_FALSE(ReadFileBytes(programDir.file("Hans.qlr")).empty());
}

// A termination signal while a form is open: the form closes without storing, the run ends
// with status 0, the confirmed value is in the document and the working files are gone.
TEST_F(ProgramRun, ATerminationSignalEndsLikeTheExitHotSpot) {
    ScriptedMessages messages({IDYES});
    const auto fill = [](const char* text, bool confirm) {
        return [text, confirm](TQuilloryDlgClient* desk) {
            WhenModalShown(desk, [text, confirm](QWidget* box) {
                auto* form = dynamic_cast<TCategoryForm*>(box);
                ASSERT_NE(form, nullptr);
                qobject_cast<QLineEdit*>(form->Edit(100))->setText(QString::fromUtf8(text));
                if (confirm)
                    form->OnCommand(IDOK);
                else
                    ::raise(SIGTERM);
            });
            Press(desk, Centre(12));
        };
    };
    EXPECT_EQ(Run({"Hans"}, {fill("Bestätigt", true), fill("Verworfen", false)}), 0);
    const std::string document = ReadFileBytes(programDir.file("Hans.qlr"));
    EXPECT_NE(document.find("Bestätigt"), std::string::npos);
    EXPECT_EQ(document.find("Verworfen"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(tempDir.path()));
}

// A directory where the program expects a file: every run ends normally with status 0 and the
// fallback of a missing or unreadable file.
TEST_F(ProgramRun, ADirectoryInPlaceOfAnyFileGivesTheFallbackOfAMissingOne) {
    namespace fs = std::filesystem;
    struct Case {
        std::string what;
        std::string path;                              // made a directory before the run
        std::function<void(TQuilloryDlgClient*)> step; // runs on the desk before the exit
        std::function<void()> check;
    };
    std::string proposed;
    QRegion outline;
    const auto backupOk = [](TQuilloryDlgClient* desk) {
        WhenModalShown(desk, [](QWidget* box) { dynamic_cast<TDialog*>(box)->OnCommand(IDOK); });
        Press(desk, Centre(CmBackup));
    };
    const auto nothing = [](TQuilloryDlgClient*) {};
    ScriptedMessages messages;
    const Case cases[] = {
        {"settings file", windowsDir.file("Quillory.Ini"), nothing,
         [&] { EXPECT_EQ(proposed, ""); }},
        {"Backup.Ini", programDir.file("Backup.Ini"), backupOk, [] {}},
        {"kontur.dat", programDir.file("kontur.dat"),
         [&](TQuilloryDlgClient* desk) { outline = desk->window()->mask(); },
         [&] { EXPECT_EQ(outline.rectCount(), 1) << "rectangular"; }},
        {"template table", programDir.file("QUILLORY 1.DAT"), nothing,
         [&] {
             EXPECT_EQ(messages.texts().back(), "Fehler 04 beim Öffnen!");
             // At most the empty name reserved at the login; nothing written over it.
             EXPECT_TRUE(!fs::exists(programDir.file("Neu.qlr")) ||
                         fs::is_empty(programDir.file("Neu.qlr")));
         }},
        {"document", programDir.file("Neu.qlr"), nothing,
         [&] {
             EXPECT_EQ(messages.texts().back(), "Fehler 02 beim Öffnen!");
             EXPECT_TRUE(fs::is_directory(programDir.file("Neu.qlr")));
         }},
        {"working file", "",
         [](TQuilloryDlgClient*) {
             const std::string px = DataSetManager().WorkFiles[1];
             fs::remove(px);
             fs::create_directory(px);
         },
         [&] {
             const auto texts = messages.texts();
             EXPECT_NE(std::find(texts.begin(), texts.end(), "Fehler 01 beim Speichern!"),
                       texts.end());
             EXPECT_TRUE(fs::is_empty(programDir.file("Neu.qlr")));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string moved = programDir.file("aside");
        if (c.path.find("QUILLORY") != std::string::npos)
            fs::rename(c.path, moved);
        if (!c.path.empty())
            fs::create_directory(c.path);
        messages.clear(); // every box answered with its first button: Ja to the creation
        const auto adjust = [&](TQuilloryApp::Options& options) {
            options.askName = [&, asked = false](const std::string&, std::string& name) mutable {
                if (asked)
                    return false;
                asked = true;
                proposed = name;
                name = "Neu";
                return true;
            };
        };
        EXPECT_EQ(Run({}, {c.step, kExit}, nullptr, adjust), 0);
        c.check();
        if (!c.path.empty())
            fs::remove_all(c.path);
        if (fs::exists(moved))
            fs::rename(moved, c.path);
        if (c.what != "document")
            fs::remove(programDir.file("Neu.qlr"));
    }
}
