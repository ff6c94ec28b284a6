#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <vector>

// Takes every window of the program off the screen and brings them back as they were: place,
// minimised state, stacking (owners below the windows they own), the active window and each
// window's keyboard focus. A modal dialog stays in its event loop while it is hidden, so its
// caller goes on waiting and its fields keep what was typed. Menus and tool tips are closed.
class HiddenWindows {
public:
    HiddenWindows() = default;
    ~HiddenWindows() = default;
    HiddenWindows(const HiddenWindows&) = delete;
    HiddenWindows& operator=(const HiddenWindows&) = delete;

    // Hides every visible top-level window.
    void Hide();
    // Shows the hidden windows again; those destroyed meanwhile are left out.
    void Restore();

private:
    struct Window {
        QPointer<QWidget> widget;
        QPoint pos;
        bool minimised = false;
        QPointer<QWidget> focus;
    };
    std::vector<Window> m_windows; // bottom of the stack first
    QPointer<QWidget> m_active;
};
