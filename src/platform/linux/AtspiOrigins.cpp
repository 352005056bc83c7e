// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/AtspiOrigins.h"

void AtspiOrigins::startRead()
{
    QMutexLocker lock(&m_lock);
    if (m_origins.size() > maxRemembered)
        m_origins.clear();
    if (m_scales.size() > maxRemembered)
        m_scales.clear();
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

void AtspiOrigins::setScale(const AXNode& node, double scale)
{
    QMutexLocker lock(&m_lock);
    m_scales.insert(key(node), scale);
}

double AtspiOrigins::scaleOf(const AXNode& node) const
{
    QMutexLocker lock(&m_lock);
    return m_scales.value(key(node), 1.0);
}

void AtspiOrigins::inherit(const AXNode& parent, const QList<AXNode>& children)
{
    QMutexLocker lock(&m_lock);
    if (const auto it = m_origins.constFind(key(parent)); it != m_origins.constEnd()) {
        const QPointF origin = *it;
        for (const AXNode& child : children)
            m_origins.insert(key(child), origin);
    }
    if (const auto it = m_scales.constFind(key(parent)); it != m_scales.constEnd()) {
        const double scale = *it;
        for (const AXNode& child : children)
            m_scales.insert(key(child), scale);
    }
}
