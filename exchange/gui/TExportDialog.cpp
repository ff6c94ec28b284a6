#include "exchange/gui/TExportDialog.h"

#include "engine/Crypto.h"
#include "platform/Messages.h"
#include "util/VersionTitle.h"

#include <QLineEdit>

namespace {

constexpr int kPasswordLabelId = 410;
constexpr int kRepeatLabelId = 411;

const char* const kKdbxHint =
    "Die Datei öffnen KeePassXC, KeePassDX, Strongbox und KeeWeb: eine Gruppe je Formular, ein "
    "Eintrag je Zeile, Geheimnummern und Paßwörter geschützt.";
const char* const kCsvHint =
    "Achtung: Die CSV-Datei ist NICHT verschlüsselt. Jeder, der sie lesen kann, sieht alle "
    "Geheimnummern und Paßwörter.";
const char* const kCsvQuestion =
    "Die CSV-Datei ist nicht verschlüsselt: Wer sie lesen kann, sieht alle Ihre Geheimnummern "
    "und Paßwörter im Klartext. Bewahren Sie sie sicher auf und löschen Sie sie, wenn Sie sie "
    "nicht mehr brauchen.\n\nTrotzdem als CSV speichern?";
const char* const kEmpty = "Bitte geben Sie ein Passwort für die KeePass-Datei ein.";
const char* const kDiffer = "Die beiden Passwörter stimmen nicht überein.";

} // namespace

TExportDialog::TExportDialog(QWidget* parent, std::string documentPassword)
    : TDialog(parent, ResId("IDD_EXPORT")), m_documentPassword(std::move(documentPassword)) {
    for (int id : {kKdbxId, kCsvId, kOwnPasswordId})
        Bind(id, [this] { Update(); });
}

TExportDialog::~TExportDialog() {
    engine::Wipe(m_documentPassword);
    engine::Wipe(m_password);
}

void TExportDialog::SetupWindow() {
    TDialog::SetupWindow();
    SetChecked(kKdbxId, true);
    SetChecked(kOwnPasswordId, !m_documentPassword.empty());
    if (QWidget* own = Control(kOwnPasswordId))
        own->setEnabled(!m_documentPassword.empty());
    Update();
}

TExportDialog::Format TExportDialog::Chosen() const {
    return Checked(kCsvId) ? Format::Csv : Format::Kdbx;
}

void TExportDialog::Update() {
    const bool kdbx = Chosen() == Format::Kdbx;
    const bool own = kdbx && Checked(kOwnPasswordId) && !m_documentPassword.empty();
    if (QWidget* c = Control(kOwnPasswordId))
        c->setEnabled(kdbx && !m_documentPassword.empty());
    for (int id : {kPasswordId, kRepeatId, kPasswordLabelId, kRepeatLabelId})
        if (QWidget* c = Control(id))
            c->setEnabled(kdbx && !own);
    SetItemText(kHintId, kdbx ? kKdbxHint : kCsvHint);
}

void TExportDialog::CmOk() {
    if (Chosen() == Format::Csv) {
        if (ShowMessage(kCsvQuestion, kVersionTitle, MB_YESNO | MB_ICONEXCLAMATION, this) == IDYES)
            CloseWindow(IDOK);
        return;
    }
    if (Checked(kOwnPasswordId) && !m_documentPassword.empty()) {
        m_password = m_documentPassword;
        CloseWindow(IDOK);
        return;
    }
    std::string typed = ItemText(kPasswordId);
    std::string repeated = ItemText(kRepeatId);
    const char* problem = typed.empty() ? kEmpty : typed != repeated ? kDiffer : nullptr;
    engine::Wipe(repeated);
    if (problem) {
        engine::Wipe(typed);
        ShowMessage(problem, kVersionTitle, MB_OK | MB_ICONINFORMATION, this);
        if (QWidget* c = Control(kPasswordId))
            c->setFocus();
        return;
    }
    m_password = std::move(typed);
    CloseWindow(IDOK);
}
