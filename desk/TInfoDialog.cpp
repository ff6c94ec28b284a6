#include "desk/TInfoDialog.h"

#include "graphics/TOwnerDrawPushbutton.h"
#include "util/VersionTitle.h"

TInfoDialog::TInfoDialog(QWidget* parent)
    : TTiledDialog(parent, ResId("IDD_QUILLORY_INFO1"), "KACHEL1", kLightYellow) {
    m_ok = new TOwnerDrawPushbutton(this, 1, "BTN1", "BTN2", "BTN2");
}

TInfoDialog::~TInfoDialog() = default;

void TInfoDialog::SetupWindow() {
    TTiledDialog::SetupWindow();
    setWindowTitle(QString::fromUtf8(kVersionTitle));
}
