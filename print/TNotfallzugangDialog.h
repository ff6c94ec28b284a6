#pragma once

#include "graphics/TTiledDialog.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace engine {
class SecretKey;
}

// What setting up an emergency access needs from the program around it.
struct RecoveryActions {
    // Whether typed is the document's current password.
    std::function<bool(const std::string& typed)> isPassword;
    // Gives the document's tables the recovery, replacing an earlier one, with the password
    // kept; false when that failed (nothing changed then).
    std::function<bool(QWidget* owner, const std::string& password,
                       const engine::SecretKey& recovery)>
        install;
};

// "Notfallzugang einrichten": the user confirms his password, chooses one sheet or shares (k
// of n, 2 of 3 at first) and names whom each sheet is for; OK saves the sheets as a PDF (one
// page each) and only then gives the document the new recovery, which replaces the old one.
class TNotfallzugangDialog : public TTiledDialog {
    Q_OBJECT
public:
    TNotfallzugangDialog(QWidget* parent, QString userName, RecoveryActions actions);

    static constexpr int kPasswordId = 401;
    static constexpr int kOneSheetId = 402;
    static constexpr int kSharesId = 403;
    static constexpr int kCountId = 404;
    static constexpr int kThresholdId = 405;
    // The name of sheet i (1..9): kNameBase + i.
    static constexpr int kNameBase = 410;

    // k and n as chosen; 0 when not numbers.
    int Threshold() const;
    int Count() const;
    std::string ProposedPdfPath() const;

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void EnableShares();
    // The names of the n sheets; empty (after saying which is missing) when one is.
    std::vector<QString> Names(int count);
    bool Write(const std::string& path, int k, int n, const std::vector<QString>& names,
               const std::string& password);

    QString m_userName;
    RecoveryActions m_actions;
};

// The dialog, run modally.
void RunRecoverySetup(QWidget* parent, const QString& userName, const RecoveryActions& actions);
