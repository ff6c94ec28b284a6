#include "desk/TInfoDialog.h"

#include "graphics/Dib.h"
#include "graphics/DibUtil.h"
#include "graphics/TOwnerDrawPushbutton.h"
#include "util/VersionTitle.h"

#include <QPainter>

TInfoDialog::TInfoDialog(QWidget* parent)
    : TDialog(parent, ResId("IDD_QUILLORY_INFO1")),
      m_tile(std::make_unique<Dib>(Dib::FromResource("KACHEL1"))) {
    m_ok = new TOwnerDrawPushbutton(this, 1, "BTN1", "BTN2", "BTN2");
}

TInfoDialog::~TInfoDialog() = default;

void TInfoDialog::SetupWindow() {
    TDialog::SetupWindow();
    setWindowTitle(QString::fromUtf8(kVersionTitle));
}

void TInfoDialog::PaintBackground(QPainter& painter) {
    TileDib(painter, rect(), m_tile.get());
}

bool TInfoDialog::LabelStyle(int, QColor* textColour) {
    if (textColour) {
        *textColour = QColor(255, 255, 0);
    }
    return true;
}
