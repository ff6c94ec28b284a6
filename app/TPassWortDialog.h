#pragma once

#include "graphics/TTiledDialog.h"

#include <string>

class TOwnerDrawPushbutton;

// The new password, typed twice and masked, on KACHEL1 tiles with light-yellow labels and
// picture buttons. OK is enabled only while the confirmation is not empty; OK with two
// different texts shows the mismatch message and keeps the dialog open. The accepted password
// goes to the string given.
class TPassWortDialog : public TTiledDialog {
    Q_OBJECT
public:
    static constexpr int kPasswordId = 122;
    static constexpr int kConfirmationId = 123;
    static constexpr int kMaxPasswordLength = 19;

    TPassWortDialog(QWidget* parent, std::string& password);
    ~TPassWortDialog() override;

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void EnableOk();

    std::string& m_password;
    TOwnerDrawPushbutton* m_ok = nullptr;
};
