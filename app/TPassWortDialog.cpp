#include "app/TPassWortDialog.h"

#include "graphics/TOwnerDrawPushbutton.h"
#include "platform/Messages.h"
#include "util/VersionTitle.h"

#include <QLineEdit>

TPassWortDialog::TPassWortDialog(QWidget* parent, std::string& password)
    : TTiledDialog(parent, ResId("IDD_PASSWORD"), "KACHEL1", kLightYellow), m_password(password) {
    m_ok = new TOwnerDrawPushbutton(this, IDOK, "BTN1", "BTN2", "BTN2");
    new TOwnerDrawPushbutton(this, IDCANCEL, "BTN3", "BTN4", "BTN4");
}

TPassWortDialog::~TPassWortDialog() = default;

void TPassWortDialog::SetupWindow() {
    TTiledDialog::SetupWindow();
    for (int id : {kPasswordId, kConfirmationId}) {
        if (auto* edit = ControlAs<QLineEdit>(id)) {
            edit->setMaxLength(kMaxPasswordLength);
            edit->setEchoMode(QLineEdit::Password);
        }
    }
    if (auto* confirmation = ControlAs<QLineEdit>(kConfirmationId)) {
        connect(confirmation, &QLineEdit::textChanged, this, [this] { EnableOk(); });
    }
    EnableOk();
}

void TPassWortDialog::EnableOk() {
    const auto* confirmation = ControlAs<QLineEdit>(kConfirmationId);
    m_ok->setEnabled(confirmation && !confirmation->text().isEmpty());
}

void TPassWortDialog::CmOk() {
    if (!m_ok->isEnabled()) {
        return; // Enter while there is nothing to confirm
    }
    const QString password = ControlAs<QLineEdit>(kPasswordId)->text();
    const QString confirmation = ControlAs<QLineEdit>(kConfirmationId)->text();
    if (password != confirmation) {
        ShowMessage("Bestätigungspaßwort und Paßwort stimmen nicht überein!", kVersionTitle,
                    MB_OK | MB_ICONINFORMATION, this);
        return;
    }
    m_password = password.toStdString();
    CloseWindow(IDOK);
}
