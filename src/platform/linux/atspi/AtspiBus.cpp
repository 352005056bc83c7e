// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/atspi/AtspiBus.h"

#include "platform/linux/LinuxLog.h"

#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>
#include <QMutex>

namespace AtspiBus {

namespace {

const QString busService = QStringLiteral("org.a11y.Bus");
const QString busPath = QStringLiteral("/org/a11y/bus");

QDBusMessage statusCall(const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        busService, busPath, QStringLiteral("org.freedesktop.DBus.Properties"), method);
    message.setArguments(arguments);
    return message;
}

} // namespace

// A bus that went away (the session's accessibility restarted) leaves a disconnected
// connection under the name; it is dropped and the bus asked for again.
namespace {
const QString connectionName = QStringLiteral("cuewell-a11y");
} // namespace

QDBusConnection existingConnection()
{
    return QDBusConnection(connectionName);
}

QDBusConnection connection()
{
    const QString& name = connectionName;
    static QMutex lock;
    QMutexLocker locked(&lock);
    QDBusConnection existing(name);
    if (existing.isConnected())
        return existing;
    QDBusConnection::disconnectFromBus(name);
    const QDBusReply<QString> address =
        QDBusConnection::sessionBus().call(addressCall(), QDBus::Block, timeoutMs);
    if (!address.isValid() || address.value().isEmpty()) {
        qCDebug(lcLinux) << "no accessibility bus:" << address.error().name();
        return QDBusConnection(name);
    }
    return QDBusConnection::connectToBus(address.value(), name);
}

QDBusMessage addressCall()
{
    return QDBusMessage::createMethodCall(busService, busPath, busService,
                                          QStringLiteral("GetAddress"));
}

QDBusMessage isEnabledCall()
{
    return statusCall(QStringLiteral("Get"),
                      {QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled")});
}

bool isEnabled()
{
    const QDBusReply<QDBusVariant> reply =
        QDBusConnection::sessionBus().call(isEnabledCall(), QDBus::Block, timeoutMs);
    if (!reply.isValid())
        qCDebug(lcLinux) << "accessibility status unknown:" << reply.error().name();
    return reply.isValid() && reply.value().variant().toBool();
}

bool isReadable()
{
    return connection().isConnected() && isEnabled();
}

QDBusPendingCall enable()
{
    return QDBusConnection::sessionBus().asyncCall(
        statusCall(QStringLiteral("Set"),
                   {QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"),
                    QVariant::fromValue(QDBusVariant(true))}),
        timeoutMs);
}

} // namespace AtspiBus
