#include "platform/gui/DesktopNotification.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace {

constexpr int kReplyTimeoutMs = 2000;
const char* const kService = "org.freedesktop.Notifications";

} // namespace

bool ShowDesktopNotification(const QString& summary, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(QString::fromLatin1(kService)).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QStringLiteral("/org/freedesktop/Notifications"),
        QString::fromLatin1(kService), QStringLiteral("Notify"));
    const QString app = QCoreApplication::applicationName();
    call << app << 0u << QStringLiteral("de.quillory.Quillory") << summary << body.toHtmlEscaped()
         << QStringList() << QVariantMap() << -1;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kReplyTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}
