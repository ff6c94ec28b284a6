#include "platform/gui/HelpViewer.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTextBrowser>

TEST(HelpViewer, MissingFileIsReportedAndOpensNothing) {
    TempDir dir;
    ScriptedMessages messages;
    EXPECT_FALSE(ShowHelpContents(dir.file("Quillory.hlp")));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_NE(messages.shown()[0].text.find(dir.file("Quillory.hlp")), std::string::npos);
    EXPECT_EQ(HelpWindow(), nullptr);
}

TEST(HelpViewer, ShowsTheContentsPageAndReusesItsWindow) {
    TempDir dir;
    WriteFileBytes(dir.file("Quillory.hlp"),
                   "<html><body><h1><a name=\"inhalt\"></a>Inhalt</h1><p>Über den "
                   "Schreibtisch</p></body></html>");
    ScriptedMessages messages;
    ASSERT_TRUE(ShowHelpContents(dir.file("Quillory.hlp")));
    auto* browser = qobject_cast<QTextBrowser*>(HelpWindow());
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->isVisible());
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Über den Schreibtisch")));
    ASSERT_TRUE(ShowHelpContents(dir.file("Quillory.hlp")));
    EXPECT_EQ(HelpWindow(), browser);
    EXPECT_TRUE(messages.shown().empty());
    CloseHelpWindow();
    EXPECT_EQ(HelpWindow(), nullptr);
}

TEST(HelpViewer, ShippedHelpFileNamesEveryHotSpotAndForm) {
    const std::string text =
        ReadFileBytes(std::string(QUILLORY_SOURCE_DIR) + "/resources/Quillory.hlp");
    for (const char* word : {"Beenden", "Info", "Hilfe", "Backup", "Paßwort", "Verkleinert",
                             "Persönliches", "Wichtige Nummern", "Bankgeschäfte", "Online",
                             "Seriennummern", "Frei definierbare Felder", "Softwareregistrierung",
                             "Ärzte", "Fahrzeugschein/brief", "Datensicherung"}) {
        EXPECT_NE(text.find(word), std::string::npos) << word;
    }
}
