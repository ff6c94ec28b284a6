#pragma once

#include "graphics/TTiledDialog.h"

#include <memory>

class TOwnerDrawPushbutton;

// The about box: the version title as caption, a few lines about the program in light yellow
// on KACHEL1 tiles, and a picture OK button.
class TInfoDialog : public TTiledDialog {
    Q_OBJECT
public:
    explicit TInfoDialog(QWidget* parent);
    ~TInfoDialog() override;

protected:
    void SetupWindow() override;

private:
    TOwnerDrawPushbutton* m_ok = nullptr;
};
