#include "platform/gui/ScreenLockSignal.h"

#include <QDBusConnection>

ScreenLockSignal::ScreenLockSignal(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    for (const char* path : {"/org/freedesktop/ScreenSaver", "/ScreenSaver"}) {
        m_listening |= bus.connect(
            QString(), QString::fromLatin1(path), QStringLiteral("org.freedesktop.ScreenSaver"),
            QStringLiteral("ActiveChanged"), this, SLOT(OnActiveChanged(bool)));
    }
}

void ScreenLockSignal::OnActiveChanged(bool active) {
    if (active) {
        emit ScreenLocked();
    }
}
