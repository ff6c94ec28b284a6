#include "platform/gui/TDialog.h"
#include "platform/gui/MessageBoxQt.h"
#include "platform/gui/ResourceLoader.h"
#include "platform/gui/WinStyles.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class Recording : public TDialog {
public:
    explicit Recording(ResId id) : TDialog(nullptr, std::move(id)) {}
    std::vector<int> commands;
    int setups = 0;
    void SetupWindow() override { ++setups; }
    void OnCommand(int id) override {
        commands.push_back(id);
        TDialog::OnCommand(id);
    }
};

TEST(TDialogTest, GeometryInDialogUnits) {
    TDialog d(nullptr, ResId(32514));
    const int bx = d.BaseX();
    const int by = d.BaseY();
    ASSERT_GT(bx, 1);
    ASSERT_GT(by, 1);
    auto mul = [](int v, int b, int q) { return (v * b + q / 2) / q; };
    QWidget* edit = d.Control(4090);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->geometry(),
              QRect(mul(10, bx, 4), mul(20, by, 8), mul(160, bx, 4), mul(12, by, 8)));
    EXPECT_EQ(d.size(), QSize(mul(180, bx, 4), mul(64, by, 8)));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
}

TEST(TDialogTest, ControlsFromTemplate) {
    TDialog d(nullptr, ResId("BACKUP_DIALOG"));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Backup-Dialog"));
    auto* list = d.ControlAs<QListWidget>(103);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(list->isSortingEnabled());
    ASSERT_NE(d.ControlAs<QCheckBox>(107), nullptr);
    auto* r1 = d.ControlAs<QRadioButton>(105);
    auto* r2 = d.ControlAs<QRadioButton>(106);
    ASSERT_TRUE(r1 && r2);
    r1->click();
    r2->click();
    EXPECT_FALSE(r1->isChecked());
    EXPECT_TRUE(r2->isChecked());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(r1)->role(), QAccessible::RadioButton);
    EXPECT_TRUE(d.Control(998)->isHidden());
    EXPECT_FALSE(d.Control(1)->isHidden());
    EXPECT_EQ(d.Control(12345), nullptr);
    EXPECT_EQ(d.ItemText(111), "Text\nText");
}

TEST(TDialogTest, TabOrderIsTemplateOrder) {
    TDialog d(nullptr, ResId("IDD_PERSOENLICH"));
    std::vector<QWidget*> expected;
    for (const ControlTemplate& c : d.Template()->controls)
        if (c.style & WS_TABSTOP)
            expected.push_back(d.Control(c.id));
    ASSERT_GT(expected.size(), 10u);
    QWidget* w = expected.front();
    for (size_t i = 1; i < expected.size(); ++i) {
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        EXPECT_EQ(w, expected[i]) << i;
    }
}

TEST(TDialogTest, AttachKeepsPlaceAndCommand) {
    Recording d(ResId(32514));
    QWidget* old = d.Control(IDOK);
    const QPoint pos = old->pos();
    auto* picture = new QPushButton(QStringLiteral("P"));
    d.Attach(IDOK, picture);
    EXPECT_EQ(d.Control(IDOK), picture);
    EXPECT_EQ(picture->pos(), pos);
    EXPECT_EQ(picture->parentWidget(), &d);
    // The edit still tabs to the replacement.
    EXPECT_EQ(d.Control(4090)->nextInFocusChain(), picture);
    picture->click();
    EXPECT_EQ(d.commands, std::vector<int>{IDOK});
}

TEST(TDialogTest, EnterIsOkEscapeIsCancel) {
    {
        Recording d(ResId(32514));
        d.show();
        EXPECT_EQ(d.setups, 1);
        d.Control(4090)->setFocus();
        QTest::keyClick(d.Control(4090), Qt::Key_Return);
        EXPECT_EQ(d.commands, std::vector<int>{IDOK});
        EXPECT_EQ(d.result(), IDOK);
        d.show();
        EXPECT_EQ(d.setups, 1);
    }
    {
        Recording d(ResId(32514));
        d.show();
        QTest::keyClick(d.Control(4090), Qt::Key_Escape);
        EXPECT_EQ(d.commands, std::vector<int>{IDCANCEL});
        EXPECT_EQ(d.result(), IDCANCEL);
    }
    {
        // On a focused push button Enter presses that button.
        Recording d(ResId(32514));
        d.show();
        d.Control(IDCANCEL)->setFocus();
        QTest::keyClick(d.Control(IDCANCEL), Qt::Key_Return);
        EXPECT_EQ(d.commands, std::vector<int>{IDCANCEL});
    }
    {
        // In a memo Enter is a new line.
        Recording d(ResId("IDD_PERSOENLICH"));
        d.show();
        QWidget* memo = d.Control(123);
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_Return);
        EXPECT_TRUE(d.commands.empty());
    }
}

TEST(TDialogTest, FieldWithoutAutoScrollTakesOnlyVisibleWidth) {
    TDialog d(nullptr, ResId("IDD_PKW"));
    auto* narrow = d.ControlAs<QLineEdit>(142);
    auto* scrolling = d.ControlAs<QLineEdit>(141);
    ASSERT_TRUE(narrow && scrolling);
    d.show();
    const QString many(80, QLatin1Char('W'));
    QTest::keyClicks(narrow, many);
    QTest::keyClicks(scrolling, many);
    EXPECT_GT(narrow->text().size(), 0);
    EXPECT_LT(narrow->text().size(), 40);
    EXPECT_EQ(scrolling->text().size(), 80);
}

TEST(TDialogTest, BoundCommandReplacesDefault) {
    Recording d(ResId(32514));
    int calls = 0;
    d.Bind(IDCANCEL, [&] { ++calls; });
    qobject_cast<QPushButton*>(d.Control(IDCANCEL))->click();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(d.result() == IDCANCEL && !d.isVisible() && calls == 0);
}

TEST(MessageBoxTest, FirstButtonIsDefaultWithGermanTexts) {
    MessageRequest r;
    r.text = "Wirklich?";
    r.caption = "Frage";
    r.flags = MB_YESNOCANCEL | MB_ICONQUESTION;
    auto box = CreateMessageBox(r);
    ASSERT_NE(box->defaultButton(), nullptr);
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Ja"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Frage"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    QStringList texts;
    for (QAbstractButton* b : box->buttons())
        texts << b->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Nein")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Abbrechen")));
}

TEST(MessageBoxTest, RealHandlerAnswersWithTheDefaultOnEnter) {
    MessageHandler previous = SetMessageHandler({});
    InstallQtMessageHandler();
    QTimer::singleShot(50, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            QTest::keyClick(w, Qt::Key_Return);
    });
    const int answer = ShowMessage("Weiter?", "Quillory", MB_YESNO | MB_ICONQUESTION);
    SetMessageHandler(previous);
    EXPECT_EQ(answer, IDYES);
}

TEST(ResourceLoaderTest, BitmapsAndIcon) {
    const std::vector<uint8_t> dib = LoadBitmapResource("KACHEL1");
    ASSERT_GT(dib.size(), 40u);
    EXPECT_EQ(dib[0], 40); // BITMAPINFOHEADER size
    EXPECT_TRUE(LoadBitmapResource("NOSUCH").empty());
    EXPECT_FALSE(LoadIconResource(1001).isNull());
    EXPECT_TRUE(LoadIconResource(5).isNull());
}

} // namespace
