#include "app/TPassWortDialog.h"

#include "graphics/Dib.h"
#include "graphics/TOwnerDrawPushbutton.h"
#include "tests/support/TestSupport.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

int RunWith(TPassWortDialog& d, std::function<void(TPassWortDialog&)> act) {
    QTimer::singleShot(0, &d, [&d, act] { act(d); });
    return d.Execute();
}

QLineEdit* Field(TPassWortDialog& d, int id) {
    return d.ControlAs<QLineEdit>(id);
}
QLineEdit* Password(TPassWortDialog& d) {
    return Field(d, TPassWortDialog::kPasswordId);
}
QLineEdit* Confirmation(TPassWortDialog& d) {
    return Field(d, TPassWortDialog::kConfirmationId);
}

constexpr const char* kMismatch = "Bestätigungspaßwort und Paßwort stimmen nicht überein!";

} // namespace

TEST(TPassWortDialogTest, MaskedFieldsOfNineteenCharactersAndPictureButtons) {
    std::string password;
    TPassWortDialog d(nullptr, password);
    RunWith(d, [](TPassWortDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Paßworteingabe"));
        for (QLineEdit* edit : {Password(dlg), Confirmation(dlg)}) {
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
            edit->setFocus();
            QTest::keyClicks(edit, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
            EXPECT_EQ(edit->text(), QStringLiteral("abcdefghijklmnopqrs"));
        }
        auto* ok = dlg.ControlAs<TOwnerDrawPushbutton>(IDOK);
        auto* cancel = dlg.ControlAs<TOwnerDrawPushbutton>(IDCANCEL);
        ASSERT_NE(ok, nullptr);
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(ok->upPicture(), Dib::FromResource("BTN1").toImage());
        EXPECT_EQ(ok->downPicture(), Dib::FromResource("BTN2").toImage());
        EXPECT_EQ(cancel->upPicture(), Dib::FromResource("BTN3").toImage());
        EXPECT_EQ(cancel->downPicture(), Dib::FromResource("BTN4").toImage());
        QTest::keyClick(Password(dlg), Qt::Key_Return);
    });
    EXPECT_EQ(password, "abcdefghijklmnopqrs");
}

TEST(TPassWortDialogTest, OkFollowsTheConfirmationField) {
    ScriptedMessages messages;
    std::string password;
    TPassWortDialog d(nullptr, password);
    const int r = RunWith(d, [](TPassWortDialog& dlg) {
        QWidget* ok = dlg.Control(IDOK);
        EXPECT_FALSE(ok->isEnabled());
        Password(dlg)->setFocus();
        QTest::keyClicks(Password(dlg), QStringLiteral("Geheim"));
        EXPECT_FALSE(ok->isEnabled()) << "the password alone does not enable OK";
        QTest::keyClick(Password(dlg), Qt::Key_Return);
        EXPECT_TRUE(dlg.isVisible()) << "Enter does nothing while OK is disabled";
        Confirmation(dlg)->setFocus();
        QTest::keyClicks(Confirmation(dlg), QStringLiteral("G"));
        EXPECT_TRUE(ok->isEnabled());
        QTest::keyClick(Confirmation(dlg), Qt::Key_Backspace);
        EXPECT_FALSE(ok->isEnabled());
        QTest::keyClick(Confirmation(dlg), Qt::Key_Escape);
    });
    EXPECT_EQ(r, IDCANCEL);
    EXPECT_EQ(password, "");
    EXPECT_TRUE(messages.shown().empty());
}

TEST(TPassWortDialogTest, DifferentTextsKeepTheDialogOpenWithTheMismatchMessage) {
    ScriptedMessages messages;
    std::string password;
    TPassWortDialog d(nullptr, password);
    const int r = RunWith(d, [&messages](TPassWortDialog& dlg) {
        // A confirmation without a password.
        Confirmation(dlg)->setFocus();
        QTest::keyClicks(Confirmation(dlg), QStringLiteral("Geheim"));
        QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
        EXPECT_TRUE(dlg.isVisible());
        // Letter case counts.
        Password(dlg)->setText(QStringLiteral("geheim"));
        QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
        EXPECT_TRUE(dlg.isVisible());
        ASSERT_EQ(messages.shown().size(), 2u);
        for (const MessageRequest& m : messages.shown()) {
            EXPECT_EQ(m.text, kMismatch);
            EXPECT_EQ(m.caption, "Quillory Version 1.0");
            EXPECT_EQ(m.flags, MB_OK | MB_ICONINFORMATION);
            EXPECT_EQ(m.owner, &dlg);
        }
        Password(dlg)->setText(QStringLiteral("Geheim"));
        QTest::mouseClick(dlg.Control(IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(password, "Geheim");
    EXPECT_EQ(messages.shown().size(), 2u);
}
