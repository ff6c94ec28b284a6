#include "util/gui/MessageQueue.h"

#include "platform/gui/TopLevelWindows.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>

namespace {

int g_abortPasses = 0;
bool g_abortRequested = false;

} // namespace

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseMove:
        return true;
    default:
        return false;
    }
}

bool CheckingAbort() {
    return g_abortPasses > 0;
}

namespace {

// Drops user input for the one pass of CheckAbort and notes Esc and Enter.
class AbortFilter : public QObject {
public:
    explicit AbortFilter(bool* flag) : m_flag(flag) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (!IsUserInput(event->type())) {
            return false;
        }
        if (event->type() == QEvent::KeyPress) {
            int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
                *m_flag = true;
            }
        }
        return true;
    }

private:
    bool* m_flag;
};

} // namespace

void CentreWindow(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    QScreen* screen = window->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    window->move(CentredIn(screen->geometry(), window->frameGeometry().size()));
}

void CheckAbort(bool* flag) {
    if (flag == nullptr || QCoreApplication::instance() == nullptr) {
        return;
    }
    AbortFilter filter(flag);
    QCoreApplication::instance()->installEventFilter(&filter);
    ++g_abortPasses;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --g_abortPasses;
    QCoreApplication::instance()->removeEventFilter(&filter);
    if (g_abortRequested) {
        *flag = true;
    }
}

void RequestAbort(bool requested) {
    g_abortRequested = requested;
}

bool AbortRequested() {
    return g_abortRequested;
}

void PumpMessages() {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
