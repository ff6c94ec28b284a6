#include "app/TSDIDecFrame.h"

#include "desk/TQuilloryDlgClient.h"
#include "platform/gui/ResourceLoader.h"
#include "util/VersionTitle.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QWindow>

namespace {
constexpr int kIconId = 1001;

// Screen readers see the frame as a window with its caption, not as an anonymous pane.
QAccessibleInterface* FrameAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("TSDIDecFrame") && object && object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}
} // namespace

TSDIDecFrame::TSDIDecFrame(const DeskServices& services)
    : TSDIDecFrame(new TQuilloryDlgClient(nullptr, services)) {}

TSDIDecFrame::TSDIDecFrame(TQuilloryDlgClient* desk)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_desk(desk) {
    static const bool factory = [] {
        QAccessible::installFactory(FrameAccessible);
        return true;
    }();
    (void)factory;
    setWindowTitle(QString::fromUtf8(kVersionTitle));
    setWindowIcon(LoadIconResource(kIconId));
    setGeometry(0, 0, 0, 0);
    m_desk->setParent(this);
    m_desk->SetupWindow();
}

TSDIDecFrame::~TSDIDecFrame() = default;

void TSDIDecFrame::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (windowHandle() && windowHandle()->startSystemMove()) {
        return;
    }
    m_dragging = true;
    m_grabOffset = event->globalPosition().toPoint() - pos();
}

void TSDIDecFrame::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_grabOffset);
    }
}

void TSDIDecFrame::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = false;
    }
}
