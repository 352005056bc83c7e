#include "platform/linux/AtspiBus.h"

#include "platform/linux/LinuxLog.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>

namespace AtspiBus {

namespace {

const QString busService = QStringLiteral("org.a11y.Bus");
const QString busPath = QStringLiteral("/org/a11y/bus");
constexpr int timeoutMs = 1000;

QDBusMessage statusCall(const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        busService, busPath, QStringLiteral("org.freedesktop.DBus.Properties"), method);
    message.setArguments(arguments);
    return message;
}

} // namespace

QDBusConnection connection()
{
    static const QString name = QStringLiteral("cuewell-a11y");
    QDBusConnection existing(name);
    if (existing.isConnected())
        return existing;
    QDBusMessage message = QDBusMessage::createMethodCall(busService, busPath, busService,
                                                          QStringLiteral("GetAddress"));
    const QDBusReply<QString> address =
        QDBusConnection::sessionBus().call(message, QDBus::Block, timeoutMs);
    if (!address.isValid() || address.value().isEmpty()) {
        qCDebug(lcLinux) << "no accessibility bus:" << address.error().name();
        return QDBusConnection(name);
    }
    return QDBusConnection::connectToBus(address.value(), name);
}

bool isEnabled()
{
    const QDBusReply<QDBusVariant> reply = QDBusConnection::sessionBus().call(
        statusCall(QStringLiteral("Get"),
                   {QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled")}),
        QDBus::Block, timeoutMs);
    if (!reply.isValid())
        qCDebug(lcLinux) << "accessibility status unknown:" << reply.error().name();
    return reply.isValid() && reply.value().variant().toBool();
}

bool isReadable()
{
    return connection().isConnected() && isEnabled();
}

void enable()
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        statusCall(QStringLiteral("Set"),
                   {QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"),
                    QVariant::fromValue(QDBusVariant(true))}),
        QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        qCDebug(lcLinux) << "switching accessibility on failed:" << reply.errorName();
}

} // namespace AtspiBus
