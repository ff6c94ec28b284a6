#include "app/TQuilloryApp.h"
#include "forms/FormFactory.h"
#include "platform/gui/MessageBoxQt.h"
#include "platform/gui/TDialog.h"
#include "platform/gui/TopLevelWindows.h"
#include "util/VersionTitle.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<QMessageBox> Box(const char* caption, QWidget* owner) {
    MessageRequest request;
    request.text = "Vorgang abgebrochen!";
    request.caption = caption;
    request.owner = owner;
    return CreateMessageBox(request);
}

QPoint Centre(const QWidget& w) {
    return w.frameGeometry().center();
}

} // namespace

// What the window system is told: a form's title, the version title of a message box and the
// backup's empty caption, each as given, with no application name added; and where dialogs
// appear: over a shown owner, else in the middle of the screen.
TEST(WindowRules, TitlesAsGivenAndDialogsWhereTheUserLooks) {
    TQuilloryApp app(*qApp);
    InstallTopLevelWindowRules(*qApp);
    // No display name: Qt would append it to every title (and fill an empty one with it).
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
    EXPECT_EQ(QGuiApplication::applicationName(), QStringLiteral("Quillory"));

    std::unique_ptr<TDialog> form = CreateCategoryForm(8, nullptr);
    ASSERT_NE(form, nullptr);
    form->show();
    ASSERT_NE(form->windowHandle(), nullptr);
    EXPECT_EQ(form->windowHandle()->title(), QStringLiteral("Ärzte"));

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    auto box = Box(kVersionTitle, form.get());
    box->show();
    EXPECT_EQ(box->windowHandle()->title(), QString::fromUtf8(kVersionTitle));
    EXPECT_LE((Centre(*box) - Centre(*form)).manhattanLength(), 2) << "over its owner";

    auto empty = Box("", nullptr);
    empty->show();
    EXPECT_EQ(empty->windowTitle(), QString());
    EXPECT_EQ(empty->windowHandle()->title(), QString());
    EXPECT_LE((Centre(*empty) - screen.center()).manhattanLength(), 2) << "no owner: screen";

    // An owner that is not shown yet (the desk while the password is asked) counts as none.
    QWidget hiddenOwner;
    hiddenOwner.setGeometry(0, 0, 600, 400);
    auto prompt = Box(kVersionTitle, &hiddenOwner);
    prompt->show();
    EXPECT_LE((Centre(*prompt) - screen.center()).manhattanLength(), 2);
}
