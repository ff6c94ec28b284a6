#include "app/RecoveryPrompt.h"

#include "app/PasswordProtection.h"
#include "engine/Table.h"
#include "platform/Messages.h"
#include "platform/gui/SecretClipboard.h"
#include "platform/gui/TDialog.h"
#include "platform/gui/WaitCursor.h"
#include "recovery/ShareCode.h"
#include "recovery/picture/SheetPicture.h"
#include "store/TDataSetManager.h"
#include "store/TSession.h"
#include "util/VersionTitle.h"
#include "util/gui/DirectoryDialogs.h"

#include <QFileInfo>
#include <QLineEdit>

namespace {

const char* const kPictureFilter =
    "Bilder (PNG, JPEG)|*.png;*.jpg;*.jpeg;*.PNG;*.JPG;*.JPEG|Alle Dateien|*.*|";

void Say(QWidget* owner, const std::string& text) {
    ShowMessage(text, kVersionTitle, MB_OK | MB_ICONINFORMATION, owner);
}

std::string StillNeeded(int n) {
    return n == 1 ? "Es fehlt noch 1 Bogen." : "Es fehlen noch " + std::to_string(n) + " Bögen.";
}

// "Notfallzugang": one code at a time until the shares are enough and open the table.
class TNotfallcodesDialog : public TDialog {
public:
    TNotfallcodesDialog(QWidget* parent, std::string tablePath)
        : TDialog(parent, ResId("IDD_NOTFALLCODES")), m_tablePath(std::move(tablePath)) {
        Bind(kPictureId, [this] { ReadPicture(); });
    }
    // A code selected in the entry would stay in the X selection for any program to read.
    ~TNotfallcodesDialog() override { ClearOwnSelection(); }
    TNotfallcodesDialog(const TNotfallcodesDialog&) = delete;
    TNotfallcodesDialog& operator=(const TNotfallcodesDialog&) = delete;

    static constexpr int kCodeId = 501;
    static constexpr int kStatusId = 502;
    static constexpr int kPictureId = 504;

    const engine::SecretKey& Secret() const { return m_secret; }

protected:
    void CmOk() override {
        auto* edit = ControlAs<QLineEdit>(kCodeId);
        std::string typed = ItemText(kCodeId);
        recovery::DecodedShare decoded = recovery::DecodeShare(typed);
        engine::Wipe(typed);
        if (decoded.status != recovery::DecodedShare::Status::Ok) {
            Say(this, recovery::DecodeProblem(decoded));
            if (edit)
                edit->setFocus();
            return;
        }
        if (edit)
            edit->clear();
        if (!Accept(decoded.share))
            return;
        std::vector<const recovery::Share*> given;
        for (const recovery::Share& s : m_shares)
            given.push_back(&s);
        if (const int needed = recovery::SheetsStillNeeded(given); needed > 0) {
            const std::string text = "Bogen " + std::to_string(decoded.share.number) +
                                     " angenommen. " + StillNeeded(needed);
            SetItemText(kStatusId, text);
            Say(this, text);
            return;
        }
        if (recovery::CombineShares(given, m_secret) &&
            engine::RecoveryOpens(m_tablePath, m_secret)) {
            CloseWindow(IDOK);
            return;
        }
        m_shares.clear();
        SetItemText(kStatusId, "");
        Say(this, "Diese Bögen öffnen das Dokument nicht. Vielleicht stammen sie von einem "
                  "früheren Notfallzugang. Bitte beginnen Sie mit dem ersten Bogen neu.");
    }

private:
    // "Aus Bild lesen": the code of a photographed or scanned sheet goes into the entry as if
    // typed; a picture that gives none leaves the entry as it was.
    void ReadPicture() {
        std::string path;
        if (!GetFileName(this, path, true, kPictureFilter))
            return;
        recovery::PictureCode read;
        {
            WaitCursor wait;
            read = recovery::CodeFromPictureFile(path);
        }
        if (read.status != recovery::PictureCode::Status::Ok) {
            Say(this, recovery::PictureProblem(read));
            return;
        }
        SetItemText(kCodeId, read.code);
        if (auto* edit = ControlAs<QLineEdit>(kCodeId))
            edit->setFocus();
    }

    // Keeps a share that belongs with those given before; false after saying why not.
    bool Accept(const recovery::Share& share) {
        for (const recovery::Share& s : m_shares) {
            if (s.tag != share.tag || s.threshold != share.threshold) {
                Say(this,
                    "Dieser Bogen gehört zu einem anderen Notfallzugang als die Bögen davor.");
                return false;
            }
            if (s.number == share.number) {
                Say(this, "Bogen " + std::to_string(share.number) + " haben Sie schon eingegeben.");
                return false;
            }
        }
        m_shares.push_back(share);
        return true;
    }

    std::string m_tablePath;
    std::vector<recovery::Share> m_shares;
    engine::SecretKey m_secret;
};

QString UserName() {
    return QFileInfo(QString::fromStdString(DataSetManager().DocumentPath)).completeBaseName();
}

} // namespace

bool AskRecoveryCodes(QWidget* owner, const std::string& tablePath) {
    TNotfallcodesDialog dialog(owner, tablePath);
    if (dialog.Execute() != IDOK)
        return false;
    Session().AddRecovery(dialog.Secret());
    return true;
}

RecoveryActions DocumentRecoveryActions(QWidget* desk) {
    RecoveryActions actions;
    actions.isPassword = [](const std::string& typed) {
        return Session().Engine().IsNewestPassword(typed);
    };
    actions.install = [desk](QWidget*, const std::string& password,
                             const engine::SecretKey& recovery) {
        return SetRecoveryCommand(desk, password, &recovery);
    };
    return actions;
}

void NewPasswordAfterRecovery(QWidget* desk, DeskPasswordState& state) {
    Say(desk, "Das Dokument wurde mit Notfallbögen geöffnet. Vergeben Sie jetzt ein neues "
              "Paßwort: die benutzten Bögen öffnen danach nichts mehr.");
    std::string password;
    if (!AskNewPassword(desk, password) || password.empty() ||
        !SetRecoveryCommand(desk, password, nullptr)) {
        engine::Wipe(password);
        Say(desk, "Es wurde kein neues Paßwort vergeben. Die Notfallbögen gelten weiter.");
        return;
    }
    engine::Wipe(password);
    state.isProtected = true;
    if (ShowMessage("Das neue Paßwort gilt. Möchten Sie jetzt neue Notfallbögen erstellen?",
                    kVersionTitle, MB_YESNO | MB_ICONQUESTION, desk) == IDYES)
        RunRecoverySetup(desk, UserName(), DocumentRecoveryActions(desk));
}
