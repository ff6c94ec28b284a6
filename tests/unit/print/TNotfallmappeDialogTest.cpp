#include "print/TNotfallmappeDialog.h"

#include "tests/support/TestSupport.h"
#include "util/gui/DirectoryDialogs.h"

#include <QAbstractButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

int RunWith(TNotfallmappeDialog& d, std::function<void(TNotfallmappeDialog&)> act) {
    QTimer::singleShot(0, &d, [&d, act] { act(d); });
    return d.Execute();
}

FolderFacts Facts() {
    return FolderFacts{QStringLiteral("Hans"), QString(), false, {}};
}

void Click(TNotfallmappeDialog& d, int id) {
    auto* button = d.ControlAs<QAbstractButton>(id);
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

} // namespace

TEST(TNotfallmappeDialogTest, EverythingChosenAtFirstAndNothingChosenDisablesBothActions) {
    TNotfallmappeDialog d(nullptr, Facts());
    const int result = RunWith(d, [](TNotfallmappeDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Notfallmappe drucken"));
        // The check boxes' order is the folder's order: as the cards lie on the desk.
        EXPECT_EQ(dlg.ChosenCategories(), (std::vector<int>{1, 2, 8, 3, 7, 4, 5, 10, 6, 11}));
        EXPECT_TRUE(dlg.Options().mask);
        EXPECT_TRUE(dlg.Options().cover);
        EXPECT_TRUE(dlg.Checked(TNotfallmappeDialog::kFilledOnlyId));
        for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11})
            Click(dlg, TNotfallmappeDialog::kCategoryBase + n);
        EXPECT_TRUE(dlg.ChosenCategories().empty());
        EXPECT_TRUE(dlg.Control(TNotfallmappeDialog::kPdfId)->isEnabled()) << "cover alone";
        Click(dlg, TNotfallmappeDialog::kCoverId);
        EXPECT_FALSE(dlg.Control(TNotfallmappeDialog::kPdfId)->isEnabled());
        EXPECT_FALSE(dlg.Control(TNotfallmappeDialog::kPrintId)->isEnabled());
        Click(dlg, TNotfallmappeDialog::kCategoryBase + 8);
        EXPECT_TRUE(dlg.Control(TNotfallmappeDialog::kPrintId)->isEnabled());
        EXPECT_EQ(dlg.ChosenCategories(), (std::vector<int>{8}));
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
}

// Only filled forms (the default) and no cover: with no table open every form is empty, so
// nothing is asked or written, and the dialog says why and stays.
TEST(TNotfallmappeDialogTest, SavesWhereTheFileDialogSaysNamesTheFileAndCloses) {
    TempDir dir;
    ScriptedMessages messages;
    const std::string target = dir.file("mappe.pdf");
    std::string proposed;
    bool asked = false;
    FileDialogRunner previous =
        SetFileDialogRunner([&](QWidget*, bool open, const std::string& name, const QString&,
                                const std::string&, const std::string&) {
            asked = !open;
            proposed = name;
            return FileDialogRun{true, false, target};
        });
    TNotfallmappeDialog d(nullptr, Facts());
    const int result = RunWith(d, [&](TNotfallmappeDialog& dlg) {
        Click(dlg, TNotfallmappeDialog::kCoverId);
        Click(dlg, TNotfallmappeDialog::kPdfId);
        EXPECT_FALSE(asked);
        EXPECT_TRUE(dlg.isVisible());
        ASSERT_EQ(messages.texts().size(), 1u);
        EXPECT_NE(messages.texts()[0].find("leer"), std::string::npos);
        Click(dlg, TNotfallmappeDialog::kCoverId);
        Click(dlg, TNotfallmappeDialog::kPdfId);
    });
    SetFileDialogRunner(previous);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(asked);
    ASSERT_EQ(messages.texts().size(), 2u);
    EXPECT_EQ(messages.texts()[1], "Die Notfallmappe wurde gespeichert:\n" + target);
    EXPECT_TRUE(proposed.ends_with("/Hans-Notfallmappe.pdf")) << proposed;
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadFileBytes(target).rfind("%PDF-", 0), 0u);
}
