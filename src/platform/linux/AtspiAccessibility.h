#pragma once

#include "platform/AccessibilityPort.h"

#include <QDBusConnection>
#include <QHash>
#include <QMutex>

/// Other applications' accessibility trees over the AT-SPI bus. Each batch keeps all of its
/// requests in flight together, and every request ends by the caller's deadline, so a frozen
/// application costs at most that long.
class AtspiAccessibility : public AccessibilityPort
{
public:
    /// Connects to the accessibility bus that the session bus announces; without one, every
    /// read returns nothing.
    AtspiAccessibility();

    /// Whether the accessibility bus answered.
    bool connected() const { return m_bus.isConnected(); }

    bool isTrusted() override;
    std::optional<AXNode> application(qint64 pid, QDeadlineTimer deadline) override;
    AXApplicationNodes applicationNodes(const AXNode& application,
                                        QDeadlineTimer deadline) override;
    QList<AXNodeAttributes> read(const QList<AXNode>& batch, const QSet<QString>* detailRoles,
                                 QDeadlineTimer deadline) override;

private:
    struct Structure;
    QList<Structure> readStructure(const QList<AXNode>& batch, QDeadlineTimer deadline);
    void readDetails(const QList<AXNode>& batch, QList<AXNodeAttributes>& out,
                     QDeadlineTimer deadline);
    std::optional<AXNode> findMenuBar(const AXNode& window, QDeadlineTimer deadline);
    QDBusPendingCall call(const AXNode& node, const QString& interface, const QString& method,
                          const QVariantList& arguments, QDeadlineTimer deadline);
    QDBusPendingCall property(const AXNode& node, const QString& interface, const QString& name,
                              QDeadlineTimer deadline);
    std::optional<qint64> pidOf(const QString& service, QDeadlineTimer deadline);

    QDBusConnection m_bus;
    QMutex m_pidsLock;
    QHash<QString, qint64> m_pidsByService; // unique bus names are never reused
};
