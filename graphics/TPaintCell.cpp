#include "graphics/TPaintCell.h"

#include "graphics/DibUtil.h"

TPaintCell::TPaintCell(const char* resourceName, uint32_t initialKey)
    : TPaintCell(Dib::FromResource(resourceName ? resourceName : ""), initialKey) {}

TPaintCell::TPaintCell(Dib picture, uint32_t initialKey) : m_keyColour(initialKey) {
    if (!picture.isNull()) {
        m_picture = std::make_unique<Dib>(std::move(picture));
        m_size = QSize(m_picture->width(), m_picture->height());
        TakeKeyColour();
    }
}

void TPaintCell::TakeKeyColour() {
    const uint8_t* p = PixelAddress(m_picture.get(), 0, 0);
    if (!p) {
        return;
    }
    if (m_picture->bitCount() == 8 && m_picture->colourCount() == 256) {
        m_keyColour = m_picture->colour(*p);
    } else if (m_picture->bitCount() >= 24) {
        m_keyColour = uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
    }
}

void TPaintCell::Prepare(QPainter& dc, const QPoint& backgroundOrigin, const QPoint& drawOffset,
                         bool releasePicture, bool force) {
    if ((m_prepared && !force) || !m_picture) {
        return;
    }
    std::optional<std::vector<uint8_t>> copy;
    if (!releasePicture) {
        copy = CopyDibHandle(&m_picture->packed());
    }
    m_composite.reset();
    m_mode = kComposed;
    std::unique_ptr<QImage> discarded;
    ComposeTransparent(dc, m_size, QSize(m_picture->width(), m_picture->height()), backgroundOrigin,
                       drawOffset, m_keyColour, false, true, m_composite, discarded,
                       m_picture.get());
    m_prepared = true;
    if (releasePicture) {
        m_picture.reset();
    } else {
        m_picture = std::make_unique<Dib>(std::move(*copy));
    }
}

void TPaintCell::Paint(QPainter& dc, const QPoint& origin) const {
    const QImage* image = nullptr;
    QImage picture;
    if (m_mode == kComposed) {
        image = m_composite.get();
    } else if (m_picture) {
        picture = m_picture->toImage();
        image = &picture;
    }
    if (!image) {
        return;
    }
    const QPainter::CompositionMode mode = dc.compositionMode();
    dc.setCompositionMode(QPainter::CompositionMode_SourceOver);
    dc.drawImage(origin, *image);
    dc.setCompositionMode(mode);
}
