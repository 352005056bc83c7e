// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/X11AtspiGeometry.h"

#include "platform/linux/DrawingScale.h"

#include <cmath>

X11AtspiGeometry::X11AtspiGeometry() : m_queries(m_x) {}

// The content sits centred in the X window of the closest size.
std::optional<QPointF> X11AtspiGeometry::originOf(qint64 pid, const QSizeF& content)
{
    QMutexLocker lock(&m_lock);
    const std::optional<QList<WindowInfo>> windows =
        m_x.isValid() ? m_queries.onScreenWindows() : std::nullopt;
    if (!windows)
        return std::nullopt;
    const auto distance = [&](const QRectF& r) {
        return std::abs(r.width() - content.width()) + std::abs(r.height() - content.height());
    };
    std::optional<QRectF> best;
    for (const WindowInfo& w : *windows) {
        if (w.pid == pid && (!best || distance(w.frame) < distance(*best)))
            best = w.frame;
    }
    if (!best)
        return std::nullopt;
    return QPointF(best->x() + (best->width() - content.width()) / 2.0,
                   best->y() + (best->height() - content.height()) / 2.0);
}

double X11AtspiGeometry::drawingScaleOf(qint64 pid, const QSizeF& accessibleSize)
{
    QMutexLocker lock(&m_lock);
    const std::optional<QList<WindowInfo>> windows =
        m_x.isValid() ? m_queries.onScreenWindows() : std::nullopt;
    QList<QRectF> frames;
    for (const WindowInfo& w : windows.value_or(QList<WindowInfo>())) {
        if (w.pid == pid)
            frames.append(w.frame);
    }
    return drawingScale(accessibleSize, frames);
}

QList<WindowInfo> X11AtspiGeometry::popups(qint64 pid)
{
    QMutexLocker lock(&m_lock);
    return m_x.isValid() ? m_queries.popups(pid) : QList<WindowInfo>{};
}
