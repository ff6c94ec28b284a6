#include "graphics/TOwnerDrawPushbutton.h"

#include "platform/gui/TDialog.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// The up picture without colour and with half its contrast, lifted toward light grey.
QImage Greyed(const QImage& picture) {
    if (picture.isNull()) {
        return {};
    }
    QImage grey = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int g = 96 + qGray(line[x]) / 2;
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    return grey;
}

} // namespace

void DrawFocusMark(QPainter& painter, const QRect& area) {
    // Two rings of dark and light dots in a checker, so the dots show on light and dark pictures.
    const QRectF outer = QRectF(area).adjusted(2.5, 2.5, -2.5, -2.5);
    if (outer.width() < 4 || outer.height() < 4) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    const QColor dark(40, 22, 6);
    const QColor light(255, 236, 150);
    for (int ring = 0; ring < 2; ++ring) {
        for (int shade = 0; shade < 2; ++shade) {
            QPen pen((ring + shade) % 2 ? light : dark, 1, Qt::CustomDashLine, Qt::FlatCap);
            pen.setDashPattern({1, 1});
            pen.setDashOffset(shade);
            painter.setPen(pen);
            painter.drawRect(outer.adjusted(ring, ring, -ring, -ring));
        }
    }
    painter.restore();
}

TOwnerDrawPushbutton::TOwnerDrawPushbutton(TDialog* parent, int id, const char* up,
                                           const char* down, const char* /*focus*/)
    : QPushButton(parent) {
    SetPictures(Dib::FromResource(up ? up : ""), Dib::FromResource(down ? down : ""));
    parent->Attach(id, this);
}

TOwnerDrawPushbutton::TOwnerDrawPushbutton(QWidget* parent, const char* up, const char* down)
    : QPushButton(parent) {
    SetPictures(Dib::FromResource(up ? up : ""), Dib::FromResource(down ? down : ""));
}

TOwnerDrawPushbutton::TOwnerDrawPushbutton(QWidget* parent, const Dib& up, const Dib& down)
    : QPushButton(parent) {
    SetPictures(up, down);
}

void TOwnerDrawPushbutton::SetPictures(const Dib& up, const Dib& down) {
    m_upPicture = up.toImage();
    m_downPicture = down.toImage();
    m_disabledPicture = Greyed(m_upPicture);
    setFlat(true);
    setAutoDefault(false);
    setAttribute(Qt::WA_OpaquePaintEvent, !m_upPicture.isNull());
    // A fixed size keeps every later geometry (template rectangle, layout) at the picture's
    // size while the position is taken as given.
    if (!m_upPicture.isNull()) {
        setFixedSize(m_upPicture.size());
    }
}

const QImage& TOwnerDrawPushbutton::currentPicture() const {
    if (!isEnabled()) {
        return m_disabledPicture;
    }
    if (isDown()) {
        return m_downPicture;
    }
    return hasFocus() ? *m_focusPicture : m_upPicture;
}

QSize TOwnerDrawPushbutton::sizeHint() const {
    return m_upPicture.isNull() ? QPushButton::sizeHint() : m_upPicture.size();
}

void TOwnerDrawPushbutton::paintEvent(QPaintEvent*) {
    const QImage& picture = currentPicture();
    if (picture.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture, QRect(QPoint(0, 0), size()));
    if (hasFocus() && isEnabled()) {
        DrawFocusMark(painter, rect());
    }
}

void TOwnerDrawPushbutton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second click of a double click presses the button again.
    if (event->button() == Qt::LeftButton) {
        QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                          event->globalPosition(), Qt::LeftButton, event->buttons(),
                          event->modifiers());
        mousePressEvent(&press);
        return;
    }
    QPushButton::mouseDoubleClickEvent(event);
}
