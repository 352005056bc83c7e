// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/AtspiOrigins.h"

void AtspiOrigins::startRead()
{
    QMutexLocker lock(&m_lock);
    if (m_origins.size() > maxRemembered)
        m_origins.clear();
}

void AtspiOrigins::set(const AXNode& node, QPointF origin)
{
    QMutexLocker lock(&m_lock);
    m_origins.insert(key(node), origin);
}

std::optional<QPointF> AtspiOrigins::of(const AXNode& node) const
{
    QMutexLocker lock(&m_lock);
    const auto it = m_origins.constFind(key(node));
    return it == m_origins.constEnd() ? std::nullopt : std::optional<QPointF>(*it);
}

void AtspiOrigins::inherit(const AXNode& parent, const QList<AXNode>& children)
{
    QMutexLocker lock(&m_lock);
    const auto it = m_origins.constFind(key(parent));
    if (it == m_origins.constEnd())
        return;
    const QPointF origin = *it;
    for (const AXNode& child : children)
        m_origins.insert(key(child), origin);
}
