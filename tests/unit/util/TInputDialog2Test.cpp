#include "util/gui/TInputDialog2.h"
#include "util/gui/ResString.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

// Runs the dialog modally while act works on it.
int RunWith(TInputDialog2& d, std::function<void(TInputDialog2&)> act) {
    QTimer::singleShot(0, &d, [&d, act] { act(d); });
    return d.Execute();
}

QLineEdit* Edit(TInputDialog2& d) {
    return d.ControlAs<QLineEdit>(TInputDialog2::kEditId);
}

TEST(TInputDialog2Test, OkCopiesAtMostSizeMinusOneCharacters) {
    std::string buffer = "alt";
    TInputDialog2 d(nullptr, "Titel", "Name:", buffer, 20);
    const int r = RunWith(d, [](TInputDialog2& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Titel"));
        EXPECT_EQ(dlg.ItemText(TInputDialog2::kPromptId), "Name:");
        EXPECT_EQ(Edit(dlg)->text(), QStringLiteral("alt"));
        Edit(dlg)->clear();
        QTest::keyClicks(Edit(dlg), QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
        QTest::keyClick(Edit(dlg), Qt::Key_Return);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(buffer, "abcdefghijklmnopqrs");
    EXPECT_EQ(buffer.size(), 19u);
}

TEST(TInputDialog2Test, CancelLeavesBuffer) {
    std::string buffer = "bleibt";
    TInputDialog2 d(nullptr, "T", "P", buffer, 50);
    const int r = RunWith(d, [](TInputDialog2& dlg) {
        QTest::keyClicks(Edit(dlg), QStringLiteral("xyz"));
        QTest::keyClick(Edit(dlg), Qt::Key_Escape);
    });
    EXPECT_EQ(r, IDCANCEL);
    EXPECT_EQ(buffer, "bleibt");
}

TEST(TInputDialog2Test, PasswordIsMaskedWithoutCancelButEscapeCancels) {
    std::string buffer;
    TInputDialog2 d(nullptr, "T", "Paßwort:", buffer, 30, true);
    const int r = RunWith(d, [](TInputDialog2& dlg) {
        EXPECT_EQ(Edit(dlg)->echoMode(), QLineEdit::Password);
        EXPECT_FALSE(dlg.Control(IDCANCEL)->isVisible());
        EXPECT_TRUE(dlg.Control(IDOK)->isVisible());
        QTest::keyClicks(Edit(dlg), QStringLiteral("geheim"));
        QTest::keyClick(Edit(dlg), Qt::Key_Escape);
    });
    EXPECT_EQ(r, IDCANCEL);
    EXPECT_EQ(buffer, "");

    TInputDialog2 ok(nullptr, "T", "Paßwort:", buffer, 30, true);
    EXPECT_EQ(RunWith(ok,
                      [](TInputDialog2& dlg) {
                          QTest::keyClicks(Edit(dlg), QStringLiteral("geheim"));
                          QTest::keyClick(Edit(dlg), Qt::Key_Return);
                      }),
              IDOK);
    EXPECT_EQ(buffer, "geheim");
}

TEST(ResStringTest, ReadsStringsAndEmptiesForMissing) {
    std::string out = "vorher";
    EXPECT_EQ(&ResString(out, 3002), &out);
    EXPECT_EQ(out, " existiert bereits! Überschreiben?");
    ResString(out, 31999);
    EXPECT_EQ(out, "");
}

} // namespace
