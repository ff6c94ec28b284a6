#pragma once

#include "desk/DeskServices.h"

#include <QPoint>
#include <QWidget>

class TQuilloryDlgClient;

// The main frame: a borderless window exactly as large as the desk it carries, with the
// program's icon and the version title. A press that the desk leaves to it (outside every
// hot spot) moves the window: through the window manager where it offers that, else by
// following the mouse while the button is held.
class TSDIDecFrame : public QWidget {
    Q_OBJECT
public:
    // Builds the desk first (which runs the login and may throw LoginCancelled), then the
    // frame around it.
    explicit TSDIDecFrame(const DeskServices& services);
    ~TSDIDecFrame() override;

    TQuilloryDlgClient* Desk() const { return m_desk; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    explicit TSDIDecFrame(TQuilloryDlgClient* desk);

    TQuilloryDlgClient* m_desk;
    bool m_dragging = false;
    QPoint m_grabOffset;
};
