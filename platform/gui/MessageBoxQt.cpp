#include "platform/gui/MessageBoxQt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTranslator>

namespace {

struct ButtonSpec {
    const char* text;
    int result;
};

std::vector<ButtonSpec> ButtonsFor(unsigned flags) {
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{"OK", IDOK}, {"Abbrechen", IDCANCEL}};
    case MB_YESNO:
        return {{"Ja", IDYES}, {"Nein", IDNO}};
    case MB_YESNOCANCEL:
        return {{"Ja", IDYES}, {"Nein", IDNO}, {"Abbrechen", IDCANCEL}};
    default:
        return {{"OK", IDOK}};
    }
}

} // namespace

std::unique_ptr<QMessageBox> CreateMessageBox(const MessageRequest& request) {
    auto* owner = const_cast<QWidget*>(static_cast<const QWidget*>(request.owner));
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(QString::fromStdString(request.caption));
    box->setText(QString::fromStdString(request.text));
    box->setTextFormat(Qt::PlainText);
    switch (request.flags & MB_ICONMASK) {
    case MB_ICONQUESTION:
        box->setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box->setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box->setIcon(QMessageBox::Information);
        break;
    default:
        box->setIcon(QMessageBox::NoIcon);
        break;
    }
    const std::vector<ButtonSpec> buttons = ButtonsFor(request.flags);
    QPushButton* first = nullptr;
    QPushButton* second = nullptr;
    for (const ButtonSpec& b : buttons) {
        // Roles keep the buttons in the order given, left to right.
        QPushButton* button = box->addButton(QString::fromUtf8(b.text), QMessageBox::ActionRole);
        button->setProperty("quilloryResult", b.result);
        if (!first)
            first = button;
        else if (!second)
            second = button;
        if (b.result == IDCANCEL || (buttons.size() == 1 && b.result == IDOK))
            box->setEscapeButton(button);
    }
    box->setDefaultButton((request.flags & MB_DEFBUTTON2) && second ? second : first);
    return box;
}

int MessageBoxResult(const QMessageBox& box) {
    const QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        return IDCANCEL;
    return clicked->property("quilloryResult").toInt();
}

void InstallQtMessageHandler() {
    SetMessageHandler([](const MessageRequest& request) {
        std::unique_ptr<QMessageBox> box = CreateMessageBox(request);
        box->exec();
        const int result = MessageBoxResult(*box);
        // A Yes/No box closed without a choice (window manager) counts as its last button.
        if (!box->clickedButton() && (request.flags & MB_TYPEMASK) == MB_YESNO)
            return int(IDNO);
        return result;
    });
}

bool LoadGermanTranslations(QApplication& application) {
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}
