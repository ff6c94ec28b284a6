#include "graphics/TTiledDialog.h"

#include "graphics/Dib.h"
#include "graphics/DibUtil.h"

TTiledDialog::TTiledDialog(QWidget* parent, ResId templ, const char* tile,
                           std::optional<QColor> labelColour)
    : TDialog(parent, std::move(templ)), m_tile(std::make_unique<Dib>(Dib::FromResource(tile))),
      m_labelColour(labelColour) {}

TTiledDialog::~TTiledDialog() = default;

void TTiledDialog::PaintBackground(QPainter& painter) {
    TileDib(painter, rect(), m_tile.get());
}

bool TTiledDialog::LabelStyle(int, QColor* textColour) {
    if (m_labelColour && textColour) {
        *textColour = *m_labelColour;
    }
    return true;
}
