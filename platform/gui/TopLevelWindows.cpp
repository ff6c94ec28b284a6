#include "platform/gui/TopLevelWindows.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

const char* const kPlacedProperty = "quilloryPlaced";

class TopLevelRules : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Show && type != QEvent::WindowTitleChange && type != QEvent::Resize) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || !widget->isWindow()) {
            return false;
        }
        if (type == QEvent::Resize) {
            // A dialog that settles its size while it is being shown (a message box fits its
            // text) is placed again before it reaches the screen.
            if (widget->property(kPlacedProperty).toBool() && widget->windowHandle() != nullptr &&
                !widget->windowHandle()->isExposed()) {
                Place(widget, true);
            }
            return false;
        }
        if (type == QEvent::Show) {
            Place(widget, false);
        }
        if (widget->windowHandle() != nullptr && widget->windowHandle()->handle() != nullptr) {
            SetNativeWindowTitle(widget->windowHandle(), widget->windowTitle());
        }
        return false;
    }

private:
    static void Place(QWidget* widget, bool again) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog == nullptr || dialog->property(kPlacedProperty).toBool() != again) {
            return;
        }
        dialog->setProperty(kPlacedProperty, true);
        const QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
        QScreen* screen = owner && owner->isVisible() ? owner->screen() : dialog->screen();
        if (screen == nullptr) {
            screen = QGuiApplication::primaryScreen();
        }
        if (screen == nullptr) {
            return;
        }
        dialog->move(
            DialogPosition(owner, screen->availableGeometry(), dialog->frameGeometry().size()));
        if (!again) {
            // The dialog takes the keyboard, also where no window manager hands it over.
            dialog->activateWindow();
        }
    }
};

} // namespace

QPoint CentredIn(const QRect& area, const QSize& window) {
    return {area.x() + (area.width() - window.width()) / 2,
            area.y() + (area.height() - window.height()) / 2};
}

QPoint DialogPosition(const QWidget* owner, const QRect& screenArea, const QSize& dialog) {
    if (owner != nullptr && owner->isVisible() && !owner->isMinimized()) {
        return CentredIn(owner->frameGeometry(), dialog);
    }
    return CentredIn(screenArea, dialog);
}

void InstallTopLevelWindowRules(QApplication& application) {
    application.installEventFilter(new TopLevelRules(&application));
}
