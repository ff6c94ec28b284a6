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
    return FolderFacts{
        QStringLiteral("Hans"), QString(), QStringLiteral("/daten/Hans.qlr"), false, {}};
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
        EXPECT_EQ(dlg.ChosenCategories(), (std::vector<int>{1, 2, 8, 3, 7, 4, 5, 10, 6}));
        EXPECT_TRUE(dlg.Options().mask);
        EXPECT_TRUE(dlg.Options().cover);
        for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 10})
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

TEST(TNotfallmappeDialogTest, SavesWhereTheFileDialogSaysAndCloses) {
    TempDir dir;
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
    const int result =
        RunWith(d, [](TNotfallmappeDialog& dlg) { Click(dlg, TNotfallmappeDialog::kPdfId); });
    SetFileDialogRunner(previous);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(proposed.ends_with("/Hans-Notfallmappe.pdf")) << proposed;
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadFileBytes(target).rfind("%PDF-", 0), 0u);
}
