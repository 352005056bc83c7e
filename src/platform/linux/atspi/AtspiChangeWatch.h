// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccessibilityPort.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

#include <functional>
#include <optional>

class QDBusMessage;

/// Hears what one application says about its interface over the accessibility bus: windows
/// created and activated, nodes added and removed, states changed, focus moved. Applications
/// send these only while a listener is registered with the bus's registry, so the events are
/// registered while an application is watched and withdrawn after. Main thread only.
class AtspiChangeWatch : public QObject
{
    Q_OBJECT
public:
    /// The events an application is asked to send while watched.
    static const QStringList registeredEvents;

    /// `knownPid` tells, without blocking, the pid of a bus name when it is known already.
    explicit AtspiChangeWatch(std::function<std::optional<qint64>(const QString&)> knownPid,
                              QObject* parent = nullptr);
    ~AtspiChangeWatch() override;

    void watch(qint64 pid, std::function<void(AXChange)> changed);

    /// What an event says: something appeared, or something else changed. Absent for events
    /// that say nothing about what is shown.
    static std::optional<AXChange> changeOf(const QString& interface, const QString& member,
                                            const QDBusMessage& event);

private slots:
    void eventArrived(const QDBusMessage& event);

private:
    void subscribe(QDBusConnection bus);
    void unsubscribe();
    void registerEvents(const QString& method);
    void pidOfSenderArrived(const QString& sender, qint64 pid, AXChange change);

    std::function<std::optional<qint64>(const QString&)> m_knownPid;
    QDBusConnection m_bus{QString()};
    bool m_subscribed = false;
    qint64 m_pid = 0;
    std::function<void(AXChange)> m_changed;
    // Bus names whose pid was asked for, and the answers: unique names are never reused.
    QHash<QString, qint64> m_pidsBySender;
};
