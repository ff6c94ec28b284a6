#pragma once

#include "graphics/Dib.h"

#include <QImage>
#include <QPushButton>

class QPainter;
class TDialog;

// The focus mark of a drawn control: a light dotted frame on a dark one, just inside area.
void DrawFocusMark(QPainter& painter, const QRect& area);

// A push button that shows one picture while up (also with the focus) and another while held
// down, and no text or frame. With the keyboard focus a dotted focus mark lies inside its edge.
// Disabled, it shows its up picture greyed and faded, so nobody presses it in vain, and takes no
// focus. It is exactly as large as its up picture and keeps the position it is given.
class TOwnerDrawPushbutton : public QPushButton {
    Q_OBJECT
public:
    // Replaces the owner-drawn button of that id in the dialog. focus is ignored: the focus
    // picture is always the up picture.
    TOwnerDrawPushbutton(TDialog* parent, int id, const char* up, const char* down,
                         const char* focus);
    // A free-standing button from two bitmap resources.
    TOwnerDrawPushbutton(QWidget* parent, const char* up, const char* down);
    TOwnerDrawPushbutton(QWidget* parent, const Dib& up, const Dib& down);

    const QImage& upPicture() const { return m_upPicture; }
    const QImage& downPicture() const { return m_downPicture; }
    // The picture the button shows in its present state.
    const QImage& currentPicture() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void SetPictures(const Dib& up, const Dib& down);

    QImage m_upPicture;
    QImage m_downPicture;
    QImage m_disabledPicture;
    const QImage* m_focusPicture = &m_upPicture;
};
