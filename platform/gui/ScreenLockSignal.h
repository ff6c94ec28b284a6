#pragma once

#include <QObject>

// Tells when the desktop's screen locker comes on: the org.freedesktop.ScreenSaver
// ActiveChanged signal on the session bus, from any sender on either of the paths desktops use.
// Without a session bus it never fires and says nothing.
class ScreenLockSignal : public QObject {
    Q_OBJECT
public:
    explicit ScreenLockSignal(QObject* parent = nullptr);
    // Whether it listens on a session bus.
    bool Listening() const { return m_listening; }

signals:
    void ScreenLocked();

private slots:
    void OnActiveChanged(bool active);

private:
    bool m_listening = false;
};
