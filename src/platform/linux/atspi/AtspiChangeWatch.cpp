// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/atspi/AtspiChangeWatch.h"

#include "platform/linux/LinuxLog.h"
#include "platform/linux/atspi/AtspiBus.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString registryService = QStringLiteral("org.a11y.atspi.Registry");
const QString registryPath = QStringLiteral("/org/a11y/atspi/registry");
const QString registryInterface = QStringLiteral("org.a11y.atspi.Registry");
const QString objectEvents = QStringLiteral("org.a11y.atspi.Event.Object");
const QString windowEvents = QStringLiteral("org.a11y.atspi.Event.Window");
const QString focusEvents = QStringLiteral("org.a11y.atspi.Event.Focus");

} // namespace

const QStringList AtspiChangeWatch::registeredEvents{
    QStringLiteral("object:children-changed"), QStringLiteral("object:state-changed"),
    QStringLiteral("window:"), QStringLiteral("focus:")};

AtspiChangeWatch::AtspiChangeWatch(std::function<std::optional<qint64>(const QString&)> knownPid,
                                   QObject* parent)
    : QObject(parent), m_knownPid(std::move(knownPid))
{
}

AtspiChangeWatch::~AtspiChangeWatch()
{
    unsubscribe();
}

void AtspiChangeWatch::watch(qint64 pid, std::function<void(AXChange)> changed)
{
    m_pid = pid;
    m_changed = std::move(changed);
    if (pid <= 0) {
        unsubscribe();
        return;
    }
    // The bus a step's read connected to: watching starts after the application was read.
    const QDBusConnection bus = AtspiBus::existingConnection();
    if (m_subscribed && bus.isConnected() && bus.baseService() == m_bus.baseService())
        return;
    unsubscribe();
    if (bus.isConnected())
        subscribe(bus);
    else
        qCDebug(lcLinux) << "no accessibility bus to hear applications on";
}

void AtspiChangeWatch::subscribe(QDBusConnection bus)
{
    m_bus = bus;
    for (const QString& interface : {objectEvents, windowEvents, focusEvents})
        m_bus.connect(QString(), QString(), interface, QString(), this,
                      SLOT(eventArrived(QDBusMessage)));
    registerEvents(QStringLiteral("RegisterEvent"));
    m_subscribed = true;
}

void AtspiChangeWatch::unsubscribe()
{
    if (!m_subscribed)
        return;
    m_subscribed = false;
    for (const QString& interface : {objectEvents, windowEvents, focusEvents})
        m_bus.disconnect(QString(), QString(), interface, QString(), this,
                         SLOT(eventArrived(QDBusMessage)));
    if (m_bus.isConnected())
        registerEvents(QStringLiteral("DeregisterEvent"));
    m_bus = QDBusConnection(QString());
}

// Asked without waiting for the answer: a registry that does not answer leaves the step to
// settle on the windows' pixels alone.
void AtspiChangeWatch::registerEvents(const QString& method)
{
    for (const QString& event : registeredEvents) {
        QDBusMessage message = QDBusMessage::createMethodCall(registryService, registryPath,
                                                              registryInterface, method);
        if (method == QLatin1String("RegisterEvent"))
            message.setArguments({event, QStringList(), QString()});
        else
            message.setArguments({event});
        m_bus.asyncCall(message, AtspiBus::timeoutMs);
    }
}

std::optional<AXChange> AtspiChangeWatch::changeOf(const QString& interface, const QString& member,
                                                   const QDBusMessage& event)
{
    const QVariantList arguments = event.arguments();
    const QString detail = arguments.value(0).toString();
    const int detail1 = arguments.value(1).toInt();
    if (interface == windowEvents) {
        const bool shown = member == QLatin1String("Create") ||
                           member == QLatin1String("Activate") ||
                           member == QLatin1String("Restore");
        return shown ? AXChange::appeared : AXChange::changed;
    }
    if (interface == focusEvents)
        return AXChange::changed;
    if (interface != objectEvents)
        return std::nullopt;
    if (member == QLatin1String("ChildrenChanged"))
        return detail.startsWith(QLatin1String("add")) ? AXChange::appeared : AXChange::changed;
    if (member == QLatin1String("StateChanged")) {
        const bool shown = detail1 == 1 && (detail == QLatin1String("showing") ||
                                            detail == QLatin1String("visible") ||
                                            detail == QLatin1String("expanded"));
        return shown ? AXChange::appeared : AXChange::changed;
    }
    return std::nullopt;
}

void AtspiChangeWatch::eventArrived(const QDBusMessage& event)
{
    if (m_pid <= 0 || !m_changed)
        return;
    const std::optional<AXChange> change = changeOf(event.interface(), event.member(), event);
    if (!change)
        return;
    const QString sender = event.service();
    if (const auto known = m_pidsBySender.constFind(sender); known != m_pidsBySender.constEnd()) {
        if (*known == m_pid)
            m_changed(*change);
        return;
    }
    if (const std::optional<qint64> pid = m_knownPid(sender)) {
        m_pidsBySender.insert(sender, *pid);
        if (*pid == m_pid)
            m_changed(*change);
        return;
    }
    // A sender not met before: its event counts once the bus has said whose it is.
    m_pidsBySender.insert(sender, 0);
    QDBusMessage question = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"));
    question.setArguments({sender});
    auto* answer =
        new QDBusPendingCallWatcher(m_bus.asyncCall(question, AtspiBus::timeoutMs), this);
    const AXChange heard = *change;
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this, sender, heard](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<uint> pid = *call;
                if (pid.isValid())
                    pidOfSenderArrived(sender, pid.value(), heard);
            });
}

void AtspiChangeWatch::pidOfSenderArrived(const QString& sender, qint64 pid, AXChange change)
{
    m_pidsBySender.insert(sender, pid);
    if (pid == m_pid && m_changed)
        m_changed(change);
}
