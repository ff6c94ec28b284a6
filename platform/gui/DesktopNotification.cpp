#include "platform/gui/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace {

constexpr int kReplyTimeoutMs = 1500;

} // namespace

bool ShowDesktopNotification(const QString& summary, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // The body may be read as markup by the service: a path's '&' or '<' stays text.
    call << QStringLiteral("Quillory") << 0u << QString() << summary << body.toHtmlEscaped()
         << QStringList() << QVariantMap() << -1;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kReplyTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}
