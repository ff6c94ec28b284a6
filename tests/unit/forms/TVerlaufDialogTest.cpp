#include "forms/TVerlaufDialog.h"
#include "forms/TKonflikteDialog.h"

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

QStringList Column(const QTreeWidget* list, int column, int role = Qt::DisplayRole) {
    QStringList cells;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        cells << list->topLevelItem(i)->data(column, role).toString();
    return cells;
}

} // namespace

// A secret field's earlier values show as dots (spoken "verdeckt") until the eye or Ctrl+H shows
// them; Enter restores the selected one and closes, a failed restore leaves the window open.
TEST(VerlaufDialogTest, MaskedUntilAskedAndEnterRestoresTheSelected) {
    std::vector<std::size_t> asked;
    bool succeed = false;
    TVerlaufDialog dialog(
        nullptr, QStringLiteral("Online: Paßwort"),
        {{QStringLiteral("09.12.2026 10:15"), QStringLiteral("Laptop"), QStringLiteral("geheim2")},
         {QStringLiteral("01.12.2026 08:00"), QStringLiteral("PC"), QString()}},
        true, [&](std::size_t entry) {
            asked.push_back(entry);
            return succeed;
        });
    dialog.show();
    QApplication::processEvents();
    QTreeWidget* list = dialog.List();
    ASSERT_NE(dialog.Eye(), nullptr);
    EXPECT_EQ(dialog.focusWidget(), list);
    EXPECT_EQ(Column(list, 1), (QStringList{QStringLiteral("Laptop"), QStringLiteral("PC")}));
    EXPECT_EQ(Column(list, 2), (QStringList{QStringLiteral("••••••"), QStringLiteral("••••••")}));
    EXPECT_EQ(Column(list, 0, Qt::AccessibleTextRole),
              (QStringList{QStringLiteral("09.12.2026 10:15, Laptop, verdeckt"),
                           QStringLiteral("01.12.2026 08:00, PC, verdeckt")}));
    QTest::keyClick(list, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(Column(list, 2), (QStringList{QStringLiteral("geheim2"), QString()}));
    EXPECT_EQ(Column(list, 0, Qt::AccessibleTextRole).back(),
              QStringLiteral("01.12.2026 08:00, PC, leer"));
    EXPECT_EQ(dialog.Eye()->accessibleName(), QStringLiteral("Werte verdecken"));
    dialog.Eye()->click();
    EXPECT_EQ(Column(list, 2).front(), QStringLiteral("••••••"));

    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(asked, std::vector<std::size_t>{1});
    EXPECT_TRUE(dialog.isVisible()) << "a failed restore keeps the window";
    EXPECT_FALSE(dialog.Restored());
    succeed = true;
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(dialog.Restored(), std::optional<std::size_t>(1));
    EXPECT_FALSE(dialog.isVisible());
}

TEST(VerlaufDialogTest, NoEarlierValuesNothingToRestore) {
    bool called = false;
    TVerlaufDialog dialog(nullptr, QStringLiteral("Ärzte: Name"), {}, false, [&](std::size_t) {
        called = true;
        return true;
    });
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(dialog.Eye(), nullptr);
    EXPECT_EQ(Column(dialog.List(), 0), QStringList{QStringLiteral("Keine früheren Werte.")});
    EXPECT_FALSE(dialog.Control(1)->isEnabled());
    QTest::keyClick(dialog.List(), Qt::Key_Return);
    EXPECT_FALSE(called);
    EXPECT_EQ(ChangeTime(0), QStringLiteral("unbekannt"));
}

// The desk's note in German: "1 Feld", "n Felder", the forms listed with "und".
TEST(ConflictNoteTest, CountsAndForms) {
    struct Case {
        std::size_t fields;
        std::vector<int> categories;
        const char* note;
    };
    const Case cases[] = {
        {0, {}, ""},
        {1, {8}, "Konflikte: 1 Feld\nÄrzte"},
        {2, {8}, "Konflikte: 2 Felder\nÄrzte"},
        {3, {3, 8}, "Konflikte: 3 Felder\nBankgeschäfte und Ärzte"},
        {4, {1, 3, 8}, "Konflikte: 4 Felder\nPersönliches, Bankgeschäfte und Ärzte"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConflictNote(c.fields, c.categories).toStdString(), c.note) << c.fields;
    EXPECT_EQ(FieldCountText(0), QStringLiteral("0 Felder"));
}
