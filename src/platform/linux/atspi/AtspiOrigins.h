// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccessibilityPort.h"

#include <QHash>
#include <QMutex>
#include <QPointF>

#include <optional>

/// Where window-relative accessible frames sit on the screen. GTK 4 gives each node's frame
/// relative to its window: a window's screen origin is learnt when the read starts, every node
/// inherits its parent's origin as the tree is walked down, and a popover (shown in a popup
/// window of its own) gives its subtree the origin of that popup window. Safe on any thread.
class AtspiOrigins
{
public:
    /// Called as each read starts: the remembered origins are bounded here, never during a
    /// read, because the read learns again every origin it needs from its window down.
    void startRead();

    void set(const AXNode& node, QPointF origin);
    std::optional<QPointF> of(const AXNode& node) const;
    /// How many screen pixels the node's application draws per pixel it counts (1 unless set).
    void setScale(const AXNode& node, double scale);
    double scaleOf(const AXNode& node) const;
    /// Gives `children` the origin and scale of `parent`, when it has them.
    void inherit(const AXNode& parent, const QList<AXNode>& children);

    /// More than this many remembered nodes are forgotten at the start of the next read.
    static constexpr qsizetype maxRemembered = 100000;

private:
    static QString key(const AXNode& node) { return node.service + node.path; }

    // What a node's subtree adds to its frames: the window's origin, and the drawing scale.
    struct Placing
    {
        std::optional<QPointF> origin;
        double scale = 1.0;
    };

    mutable QMutex m_lock;
    QHash<QString, Placing> m_placings;
};
