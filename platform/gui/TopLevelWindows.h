#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QApplication;
class QWidget;
class QWindow;

// Rules every top-level window of the program follows, whoever creates it (our dialogs, message
// boxes, Qt's own dialogs):
// - the window system sees exactly the window's caption as its title, an empty caption too;
//   Qt would otherwise fill an empty one with the application's name;
// - a dialog is placed where the user looks on its first showing: over its owner's window when
//   that is visible, else in the middle of the screen.
void InstallTopLevelWindowRules(QApplication& application);

// Top-left corner that centres a window of that size in the area (integer halves rounded
// toward zero); the desk and the dialogs are centred by it.
QPoint CentredIn(const QRect& area, const QSize& window);

// Where a dialog of that size goes: over the owner's frame when the owner is shown, else on the
// screen area given.
QPoint DialogPosition(const QWidget* owner, const QRect& screenArea, const QSize& dialog);

// Writes the title into the native window as the window system stores it (_NET_WM_NAME and
// WM_NAME on X11). Does nothing where the platform keeps titles as given.
void SetNativeWindowTitle(QWindow* window, const QString& title);
