// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/linux/CompositorWindow.h"
#include "platform/linux/atspi/AtspiWindowGeometry.h"

#include <functional>

/// Window positions on Wayland, from the compositor's window list (GNOME Shell's through
/// Cuewell's extension, KWin's through Cuewell's script): every toolkit counts its extents from
/// its own window there.
class CompositorAtspiGeometry : public AtspiWindowGeometry
{
public:
    /// `windows` gives the compositor's windows as last heard; it is called on any thread.
    explicit CompositorAtspiGeometry(std::function<QList<CompositorWindow>()> windows)
        : m_windows(std::move(windows))
    {
    }

    bool everyToolkitCountsFromItsWindow() const override { return true; }
    bool knowsWindowsWithoutAsking() const override { return true; }
    std::optional<QPointF> originOf(qint64 pid, const QSizeF& accessibleSize) override;
    // Applications count logical pixels, as the compositor does: a scaled monitor changes
    // nothing.
    double drawingScaleOf(qint64, const QSizeF&) override { return 1; }
    QList<WindowInfo> popups(qint64 pid) override;
    std::optional<QRectF> popupBeside(qint64 pid, const QRectF& anchor) override;

private:
    std::function<QList<CompositorWindow>()> m_windows;
};
