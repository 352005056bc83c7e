// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/x11/X11AtspiGeometry.h"

#include "platform/linux/DrawingScale.h"

#include <cmath>

X11AtspiGeometry::X11AtspiGeometry() : m_queries(m_x) {}

// The content sits centred in the X window of the closest size.
std::optional<QPointF> X11AtspiGeometry::originOf(qint64 pid, const QSizeF& content)
{
    QMutexLocker lock(&m_lock);
    const auto distance = [&](const QRectF& r) {
        return std::abs(r.width() - content.width()) + std::abs(r.height() - content.height());
    };
    std::optional<QRectF> best;
    for (const QRectF& frame : framesOf(pid)) {
        if (!best || distance(frame) < distance(*best))
            best = frame;
    }
    if (!best)
        return std::nullopt;
    return QPointF(best->x() + (best->width() - content.width()) / 2.0,
                   best->y() + (best->height() - content.height()) / 2.0);
}

// Asked at every read: the X server is asked again only when the window's size has changed
// (or it had no window on screen yet).
double X11AtspiGeometry::drawingScaleOf(qint64 pid, const QSizeF& accessibleSize)
{
    QMutexLocker lock(&m_lock);
    if (const auto known = m_scales.constFind(pid);
        known != m_scales.constEnd() && known->accessibleSize == accessibleSize)
        return known->scale;
    const QList<QRectF> frames = framesOf(pid);
    const double scale = drawingScale(accessibleSize, frames);
    if (frames.isEmpty()) // not mapped yet: known once it is
        return scale;
    if (m_scales.size() > maxRememberedScales)
        m_scales.clear();
    m_scales.insert(pid, {accessibleSize, scale});
    return scale;
}

QList<QRectF> X11AtspiGeometry::framesOf(qint64 pid)
{
    const std::optional<QList<WindowInfo>> windows =
        m_x.isValid() ? m_queries.onScreenWindows() : std::nullopt;
    QList<QRectF> frames;
    for (const WindowInfo& w : windows.value_or(QList<WindowInfo>())) {
        if (w.pid == pid)
            frames.append(w.frame);
    }
    return frames;
}

QList<WindowInfo> X11AtspiGeometry::popups(qint64 pid)
{
    QMutexLocker lock(&m_lock);
    return m_x.isValid() ? m_queries.popups(pid) : QList<WindowInfo>{};
}
