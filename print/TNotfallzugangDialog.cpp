#include "print/TNotfallzugangDialog.h"

#include "engine/Crypto.h"
#include "platform/Messages.h"
#include "print/FolderPainter.h"
#include "print/RecoverySheets.h"
#include "recovery/ShareCode.h"
#include "util/VersionTitle.h"
#include "util/gui/DirectoryDialogs.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>

#include <filesystem>

namespace {

const char* const kWrongPassword = "Das Paßwort stimmt nicht.";
const char* const kBadSplit = "Bitte wählen Sie 2 bis 9 Bögen, von denen mindestens 2 und "
                              "höchstens alle zum Öffnen nötig sind.";
const char* const kPdfFilter = "PDF-Dateien|*.pdf|";
const char* const kSaveFailed = "Die Notfallbögen konnten nicht gespeichert werden. Der bisherige "
                                "Notfallzugang gilt weiter.";
const char* const kInstallFailed = "Der Notfallzugang konnte nicht eingerichtet werden. Der "
                                   "bisherige Notfallzugang gilt weiter.";

void Say(QWidget* owner, const std::string& text) {
    ShowMessage(text, kVersionTitle, MB_OK | MB_ICONINFORMATION, owner);
}

} // namespace

TNotfallzugangDialog::TNotfallzugangDialog(QWidget* parent, QString userName,
                                           RecoveryActions actions)
    : TTiledDialog(parent, ResId("IDD_NOTFALLZUGANG"), "KACHEL3"), m_userName(std::move(userName)),
      m_actions(std::move(actions)) {}

void TNotfallzugangDialog::SetupWindow() {
    TTiledDialog::SetupWindow();
    SetChecked(kSharesId, true);
    SetItemText(kCountId, "3");
    SetItemText(kThresholdId, "2");
    for (int id : {kOneSheetId, kSharesId, kCountId})
        Bind(id, [this] { EnableShares(); });
    if (auto* count = ControlAs<QLineEdit>(kCountId))
        connect(count, &QLineEdit::textChanged, this, [this] { EnableShares(); });
    EnableShares();
    if (QWidget* password = Control(kPasswordId))
        password->setFocus();
}

int TNotfallzugangDialog::Threshold() const {
    return Checked(kOneSheetId) ? 1 : std::atoi(ItemText(kThresholdId).c_str());
}

int TNotfallzugangDialog::Count() const {
    return Checked(kOneSheetId) ? 1 : std::atoi(ItemText(kCountId).c_str());
}

void TNotfallzugangDialog::EnableShares() {
    const bool shares = Checked(kSharesId);
    for (int id : {kCountId, kThresholdId})
        if (QWidget* w = Control(id))
            w->setEnabled(shares);
    const int n = Count();
    for (int i = 1; i <= recovery::kMaxSheets; ++i)
        if (QWidget* w = Control(kNameBase + i))
            w->setEnabled(i <= std::max(1, std::min(n, recovery::kMaxSheets)));
}

std::string TNotfallzugangDialog::ProposedPdfPath() const {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::homePath();
    return (dir + QLatin1Char('/') + m_userName + QStringLiteral("-Notfallbögen.pdf"))
        .toStdString();
}

std::vector<QString> TNotfallzugangDialog::Names(int count) {
    std::vector<QString> names;
    for (int i = 1; i <= count; ++i) {
        const QString name = QString::fromStdString(ItemText(kNameBase + i)).trimmed();
        if (name.isEmpty()) {
            Say(this, "Bitte geben Sie an, für wen Bogen " + std::to_string(i) + " ist.");
            if (QWidget* w = Control(kNameBase + i))
                w->setFocus();
            return {};
        }
        names.push_back(name);
    }
    return names;
}

void TNotfallzugangDialog::CmOk() {
    std::string password = ItemText(kPasswordId);
    struct Wiper {
        std::string& s;
        ~Wiper() { engine::Wipe(s); }
    } wipe{password};
    if (password.empty() || !m_actions.isPassword || !m_actions.isPassword(password)) {
        Say(this, kWrongPassword);
        if (QWidget* w = Control(kPasswordId))
            w->setFocus();
        return;
    }
    const int k = Threshold(), n = Count();
    if (!recovery::ValidSplit(k, n)) {
        Say(this, kBadSplit);
        return;
    }
    const std::vector<QString> names = Names(n);
    if (names.empty())
        return;
    std::string path = ProposedPdfPath();
    const std::string dir = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
    if (!GetFileName(this, path, false, kPdfFilter, "pdf", dir))
        return;
    if (!Write(path, k, n, names, password))
        return;
    Say(this, "Der Notfallzugang ist eingerichtet. Die Bögen wurden gespeichert:\n" + path +
                  "\n\nDrucken Sie sie aus und löschen Sie danach die Datei. Frühere Notfallbögen "
                  "öffnen nichts mehr.");
    CloseWindow(IDOK);
}

bool TNotfallzugangDialog::Write(const std::string& path, int k, int n,
                                 const std::vector<QString>& names, const std::string& password) {
    engine::SecretKey secret;
    engine::RandomBytes(secret.data(), engine::kRecoverySize);
    const std::vector<recovery::Share> shares = recovery::SplitSecret(secret, k, n);
    RecoverySheetFacts facts{m_userName,
                             QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")), k, n};
    std::vector<RecoverySheet> sheets;
    for (const recovery::Share& s : shares)
        sheets.push_back({s.number, names[static_cast<size_t>(s.number - 1)],
                          QString::fromStdString(recovery::EncodeShare(s))});
    const QByteArray pdf =
        PagesPdf(QStringLiteral("Notfallbögen"), m_userName, [&](const TextWidth& measure) {
            return BuildRecoverySheets(facts, sheets, measure);
        });
    // The sheets first: a recovery nobody holds sheets of is never made.
    if (!SavePdfBytes(path, pdf)) {
        Say(this, kSaveFailed);
        return false;
    }
    if (!m_actions.install || !m_actions.install(this, password, secret)) {
        std::error_code ec;
        std::filesystem::remove(path, ec); // its codes open nothing
        Say(this, kInstallFailed);
        return false;
    }
    return true;
}

void RunRecoverySetup(QWidget* parent, const QString& userName, const RecoveryActions& actions) {
    TNotfallzugangDialog dialog(parent, userName, actions);
    dialog.Execute();
}
