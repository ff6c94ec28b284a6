#pragma once

#include <QString>

// Shows a notification through the desktop's notification service
// (org.freedesktop.Notifications on the session bus). False when there is no bus or no
// service, or it did not answer within a short time; never blocks for long.
bool ShowDesktopNotification(const QString& summary, const QString& body);
