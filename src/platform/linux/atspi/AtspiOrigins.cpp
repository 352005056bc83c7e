// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/atspi/AtspiOrigins.h"

void AtspiOrigins::startRead()
{
    QMutexLocker lock(&m_lock);
    if (m_placings.size() > maxRemembered)
        m_placings.clear();
}

void AtspiOrigins::set(const AXNode& node, QPointF origin)
{
    QMutexLocker lock(&m_lock);
    m_placings[key(node)].origin = origin;
}

std::optional<QPointF> AtspiOrigins::of(const AXNode& node) const
{
    QMutexLocker lock(&m_lock);
    return m_placings.value(key(node)).origin;
}

void AtspiOrigins::setScale(const AXNode& node, double scale)
{
    QMutexLocker lock(&m_lock);
    m_placings[key(node)].scale = scale;
}

double AtspiOrigins::scaleOf(const AXNode& node) const
{
    QMutexLocker lock(&m_lock);
    return m_placings.value(key(node)).scale;
}

void AtspiOrigins::inherit(const AXNode& parent, const QList<AXNode>& children)
{
    QMutexLocker lock(&m_lock);
    const auto it = m_placings.constFind(key(parent));
    if (it == m_placings.constEnd())
        return;
    const Placing placing = *it;
    for (const AXNode& child : children)
        m_placings.insert(key(child), placing);
}
