#pragma once

#include <QString>

// Shows a desktop notification through org.freedesktop.Notifications on the session bus.
// False when there is no session bus or no notification service; never blocks for long.
bool ShowDesktopNotification(const QString& summary, const QString& body);
