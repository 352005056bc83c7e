// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccessibilityPort.h"

#include <QStringList>

/// Every node in the accessibility tree of `pid` that a screen reader reaches, in order.
inline QList<AXNodeAttributes> nodesOf(AccessibilityPort& accessibility, qint64 pid)
{
    QList<AXNodeAttributes> nodes;
    const QDeadlineTimer deadline(5000);
    const std::optional<AXNode> application = accessibility.application(pid, deadline);
    if (!application)
        return nodes;
    QList<AXNode> level = accessibility.applicationNodes(*application, deadline).windows;
    for (int depth = 0; depth < 30 && !level.isEmpty(); ++depth) {
        QList<AXNode> next;
        for (const AXNodeAttributes& node : accessibility.read(level, nullptr, deadline)) {
            nodes.append(node);
            next += node.children;
        }
        level = next;
    }
    return nodes;
}

/// Every text in the accessibility tree of `pid`, as a screen reader reads it.
inline QStringList textsOf(AccessibilityPort& accessibility, qint64 pid)
{
    QStringList texts;
    for (const AXNodeAttributes& node : nodesOf(accessibility, pid)) {
        if (!node.title.isEmpty())
            texts.append(node.title);
    }
    return texts;
}

/// Whether `pid` shows a window or dialog titled `title`: one of its own, or one drawn inside
/// another window (libadwaita's dialogs).
inline bool showsWindowTitled(AccessibilityPort& accessibility, qint64 pid, const QString& title)
{
    const QList<AXNodeAttributes> nodes = nodesOf(accessibility, pid);
    return std::any_of(nodes.begin(), nodes.end(), [&](const AXNodeAttributes& node) {
        return node.role == QLatin1String("AXWindow") && node.title == title;
    });
}
