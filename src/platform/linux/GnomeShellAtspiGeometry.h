// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/linux/AtspiWindowGeometry.h"

class GnomeShellConnection;

/// Window positions on GNOME on Wayland, from the shell extension's window list: every
/// toolkit counts its extents from its own window there.
class GnomeShellAtspiGeometry : public AtspiWindowGeometry
{
public:
    explicit GnomeShellAtspiGeometry(GnomeShellConnection& shell) : m_shell(shell) {}

    bool everyToolkitCountsFromItsWindow() const override { return true; }
    bool knowsWindowsWithoutAsking() const override { return true; }
    std::optional<QPointF> originOf(qint64 pid, const QSizeF& accessibleSize) override;
    // Applications count logical pixels, as the shell does: a scaled monitor changes nothing.
    double drawingScaleOf(qint64, const QSizeF&) override { return 1; }
    QList<WindowInfo> popups(qint64 pid) override;
    std::optional<QRectF> popupBeside(qint64 pid, const QRectF& anchor) override;

private:
    GnomeShellConnection& m_shell;
};
