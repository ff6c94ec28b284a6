#include "platform/gui/HiddenWindows.h"

#include <QApplication>

#include <algorithm>

namespace {

// How many windows own this one: the main window 0, a dialog over it 1, a box over that 2.
int OwnerDepth(const QWidget* window) {
    int depth = 0;
    for (const QWidget* w = window->parentWidget(); w; w = w->parentWidget()) {
        w = w->window();
        ++depth;
    }
    return depth;
}

bool IsTransient(const QWidget* window) {
    const Qt::WindowType type = window->windowType();
    return type == Qt::Popup || type == Qt::ToolTip;
}

} // namespace

void HiddenWindows::Hide() {
    // An open menu runs its own loop; it is closed, not kept.
    for (int i = 0; i < 16 && QApplication::activePopupWidget(); ++i) {
        QApplication::activePopupWidget()->close();
    }
    m_active = QApplication::activeWindow();
    std::vector<Window> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->windowType() == Qt::Desktop) {
            continue;
        }
        if (IsTransient(w)) {
            w->hide();
            continue;
        }
        found.push_back({w, w->pos(), w->isMinimized(), w->focusWidget()});
    }
    // Owners first; the active window last among its equals, as it was on top.
    std::stable_sort(found.begin(), found.end(), [this](const Window& a, const Window& b) {
        const int da = OwnerDepth(a.widget);
        const int db = OwnerDepth(b.widget);
        if (da != db) {
            return da < db;
        }
        return b.widget == m_active && a.widget != m_active;
    });
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
        // QWidget's own hiding: QDialog's would end the dialog's modal loop.
        it->widget->QWidget::setVisible(false);
    }
    m_windows.insert(m_windows.end(), found.begin(), found.end());
}

void HiddenWindows::Restore() {
    std::vector<Window> windows;
    windows.swap(m_windows);
    for (Window& w : windows) {
        if (!w.widget) {
            continue;
        }
        if (w.minimised) {
            w.widget->setWindowState(w.widget->windowState() | Qt::WindowMinimized);
        } else {
            w.widget->move(w.pos); // an explicit place, kept by the window manager
        }
        w.widget->QWidget::setVisible(true);
    }
    for (Window& w : windows) {
        if (w.widget && w.focus && w.focus->window() == w.widget) {
            w.focus->setFocus(Qt::OtherFocusReason);
        }
    }
    if (m_active && m_active->isVisible()) {
        m_active->raise();
        m_active->activateWindow();
    }
    m_active.clear();
}
