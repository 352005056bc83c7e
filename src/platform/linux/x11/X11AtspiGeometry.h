// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/linux/atspi/AtspiWindowGeometry.h"
#include "platform/linux/x11/X11Connection.h"
#include "platform/linux/x11/X11WindowQueries.h"

#include <QHash>
#include <QMutex>

/// Window positions from the X server. Only GTK 4 counts its extents from its window there;
/// its X window may add a client-side shadow around the content on every side.
class X11AtspiGeometry : public AtspiWindowGeometry
{
public:
    X11AtspiGeometry();

    bool everyToolkitCountsFromItsWindow() const override { return false; }
    bool knowsWindowsWithoutAsking() const override { return false; }
    std::optional<QPointF> originOf(qint64 pid, const QSizeF& accessibleSize) override;
    double drawingScaleOf(qint64 pid, const QSizeF& accessibleSize) override;
    QList<WindowInfo> popups(qint64 pid) override;
    std::optional<QRectF> popupBeside(qint64, const QRectF&) override { return {}; }

private:
    // The frames of the process's windows on screen (the lock held).
    QList<QRectF> framesOf(qint64 pid);

    struct KnownScale
    {
        QSizeF accessibleSize;
        double scale;
    };
    static constexpr qsizetype maxRememberedScales = 1000;

    QMutex m_lock; // the connection serves one thread at a time
    QHash<qint64, KnownScale> m_scales;
    X11Connection m_x;
    X11WindowQueries m_queries;
};
