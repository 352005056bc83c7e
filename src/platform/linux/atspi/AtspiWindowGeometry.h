// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowsPort.h"

#include <QList>
#include <QPointF>
#include <QSizeF>

#include <optional>

/// Where applications' windows are, for the accessible extents that count from a window
/// rather than from the screen. Safe on any thread.
class AtspiWindowGeometry
{
public:
    virtual ~AtspiWindowGeometry() = default;

    /// Whether every toolkit gives extents relative to its window here (on Wayland no client
    /// knows where its windows are), rather than only GTK 4.
    virtual bool everyToolkitCountsFromItsWindow() const = 0;

    /// Whether the windows are known here without asking anyone (kept current as they change),
    /// so asking again costs nothing.
    virtual bool knowsWindowsWithoutAsking() const = 0;

    /// The screen position that the extents inside the window of `pid` whose accessible
    /// extent has `accessibleSize` count from; absent when no such window is known.
    virtual std::optional<QPointF> originOf(qint64 pid, const QSizeF& accessibleSize) = 0;

    /// How many screen pixels the application `pid` draws for each pixel its extents count,
    /// told by the size it gives the window whose accessible extent has `accessibleSize`.
    virtual double drawingScaleOf(qint64 pid, const QSizeF& accessibleSize) = 0;

    /// The application's open popups (menus, lists, popovers), front to back.
    virtual QList<WindowInfo> popups(qint64 pid) = 0;

    /// The visible frame of the popup of `pid` nearest `anchor` (a menu's title, on screen);
    /// absent when the application has no popup open or its menus place themselves on the
    /// screen here.
    virtual std::optional<QRectF> popupBeside(qint64 pid, const QRectF& anchor) = 0;
};
