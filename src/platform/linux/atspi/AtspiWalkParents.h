// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccessibilityPort.h"

#include <QHash>
#include <QMutex>

#include <optional>

/// The node that listed each node as its child in the current read. Some toolkits name another
/// node as a node's parent than the one whose children hold it; the walk knows which holds it.
/// Safe on any thread.
class AtspiWalkParents
{
public:
    void clear()
    {
        QMutexLocker lock(&m_lock);
        m_parents.clear();
    }

    void remember(const AXNode& parent, const QList<AXNode>& children)
    {
        QMutexLocker lock(&m_lock);
        for (const AXNode& child : children)
            m_parents.insert(child.service + child.path, parent);
    }

    std::optional<AXNode> of(const AXNode& node) const
    {
        QMutexLocker lock(&m_lock);
        const auto it = m_parents.constFind(node.service + node.path);
        return it == m_parents.constEnd() ? std::nullopt : std::optional<AXNode>(*it);
    }

private:
    mutable QMutex m_lock;
    QHash<QString, AXNode> m_parents;
};
