// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccessibilityPort.h"
#include "platform/linux/atspi/AtspiChangeWatch.h"
#include "platform/linux/atspi/AtspiOrigins.h"
#include "platform/linux/atspi/AtspiWalkParents.h"
#include "platform/linux/atspi/AtspiWindowGeometry.h"

#include <QDBusConnection>
#include <QHash>
#include <QMutex>
#include <QPointF>

#include <memory>

/// Other applications' accessibility trees over the AT-SPI bus. Each batch keeps all of its
/// requests in flight together, and every request ends by the caller's deadline, so a frozen
/// application costs at most that long.
class AtspiAccessibility : public AccessibilityPort
{
public:
    /// Reads over the accessibility bus that the session bus announces, connecting as each
    /// read starts; without one, every read returns nothing. `geometry` places the windows as
    /// the desktop knows them.
    explicit AtspiAccessibility(std::unique_ptr<AtspiWindowGeometry> geometry);
    ~AtspiAccessibility() override;

    /// Whether the accessibility bus answers. Blocks while the session bus answers.
    bool connected();

    bool isTrusted() override;
    std::optional<AXNode> application(qint64 pid, QDeadlineTimer deadline) override;
    AXApplicationNodes applicationNodes(const AXNode& application,
                                        QDeadlineTimer deadline) override;
    QList<AXNodeAttributes> read(const QList<AXNode>& batch, const QSet<QString>* detailRoles,
                                 QDeadlineTimer deadline) override;
    QList<QString> shownTexts(const QList<AXNode>& batch, QDeadlineTimer deadline) override;
    void watchChanges(qint64 pid, std::function<void(AXChange)> changed) override;

private:
    struct Structure;
    /// Levels longer than this ask for their nodes' children once their states are known.
    static constexpr qsizetype childrenAfterStatesAbove = 64;
    QList<Structure> readStructure(const QList<AXNode>& batch, QDeadlineTimer deadline);
    void readChildrenByIndex(const QList<AXNode>& batch, QList<Structure>& out,
                             QDeadlineTimer deadline);
    void readScrollRanges(const QList<AXNode>& batch, const QList<Structure>& structure,
                          QList<AXNodeAttributes>& out, QDeadlineTimer deadline);
    void readDetails(const QList<AXNode>& batch, const QList<qsizetype>& detailed,
                     QList<AXNodeAttributes>& out, QDeadlineTimer deadline);
    void anchorPopovers(const QList<AXNode>& batch, const QList<Structure>& structure,
                        QList<AXNodeAttributes>& out, QDeadlineTimer deadline);
    void rememberPopupWindows(const QString& service, qint64 pid);
    std::optional<WindowInfo> popupSized(const QString& service, QSizeF size,
                                         QDeadlineTimer deadline);
    bool anchorOpenMenu(const AXNode& menu, const AXNodeAttributes& attributes,
                        QDeadlineTimer deadline);
    void fitMenuItems(const QList<AXNode>& batch, const QList<AXNodeAttributes>& out);
    QList<WindowInfo> popupWindowsOf(const QString& service);
    void readFurtherLabels(const QList<AXNode>& batch, const QList<qsizetype>& unnamed,
                           QList<AXNodeAttributes>& out, QDeadlineTimer deadline);
    std::optional<AXNode> findMenuBar(const AXNode& window, QDeadlineTimer deadline);
    std::optional<AXNode> firstDrawn(const QList<AXNode>& menuBars, QDeadlineTimer deadline);
    void learnDrawnPanes(const QList<AXNode>& batch, const QList<Structure>& structure,
                         QDeadlineTimer deadline);
    QDBusConnection bus();
    QDBusPendingCall call(const AXNode& node, const QString& interface, const QString& method,
                          const QVariantList& arguments, QDeadlineTimer deadline);
    /// The node's extent, in screen or window coordinates (an AT-SPI coordinate type).
    QDBusPendingCall extentsOf(const AXNode& node, uint coordinates, QDeadlineTimer deadline);
    QDBusPendingCall property(const AXNode& node, const QString& interface, const QString& name,
                              QDeadlineTimer deadline);
    std::optional<qint64> pidOf(const QString& service, QDeadlineTimer deadline);
    bool placesRelativeToWindow(const QString& service, QDeadlineTimer deadline);
    void learnWindowOrigins(const QList<AXNode>& windows, qint64 pid, QDeadlineTimer deadline);
    void learnWindowScales(const QList<AXNode>& windows, qint64 pid, QDeadlineTimer deadline);
    bool isGtk4(const QString& service);
    uint placeCoordinates(const QString& service);
    bool isGecko(const QString& service);
    bool isQt(const QString& service);

    QDBusConnection m_bus{QString()}; // the connection of the read under way
    std::unique_ptr<AtspiWindowGeometry> m_geometry;
    QMutex m_lock;
    QHash<QString, qint64> m_pidsByService; // unique bus names are never reused
    // Whether each service is GTK 4, which gives extents relative to its window everywhere.
    QHash<QString, bool> m_gtk4;
    // Whether each service is Firefox's engine, which leaves some panels without it too.
    QHash<QString, bool> m_gecko;
    // Whether each service is Qt, whose screen positions are off on a second Wayland monitor.
    QHash<QString, bool> m_qt;
    // For those toolkits: where each known node's window is, and the popup windows open as the
    // current read started.
    AtspiOrigins m_origins;
    // Parts drawn by an application's own toolkit inside a GTK window, which it reports away
    // from where they are: how far each node of them moves.
    AtspiOrigins m_drawnShifts;
    AtspiWalkParents m_walkParents;
    QHash<QString, QList<WindowInfo>> m_popupWindows;
    // Items of open menus, by node, with the popup that shows them (on screen).
    QHash<QString, QRectF> m_menuPopups;
    std::unique_ptr<AtspiChangeWatch> m_changeWatch; // made on the main thread when first asked
};
