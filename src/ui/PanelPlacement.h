// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>

#include <optional>

/// Where the panel goes so that it never hides what the user is working on: beside the target
/// window when it is shown, and off the ring and its card before they are shown. Pure; every
/// rectangle is in global logical pixels.
namespace PanelPlacement {

/// The space kept between the panel and what it keeps clear of.
inline constexpr double gap = 12;
/// The least space between the panel and a screen's edge.
inline constexpr double edgeMargin = 8;
/// How much of a ring's middle is kept clear when the whole ring cannot be.
inline constexpr double middleOfWide = 120;

/// The panel beside `window`, on the side of its screen with the most room, never over the
/// window where the screen has room for the panel beside it; otherwise against the screen's
/// edge on the roomiest side, low down, over the part of the window farthest from its centre.
/// Without a window, at the right edge of the first screen.
QRectF besideWindow(const QList<QRectF>& screens, const std::optional<QRectF>& window,
                    const QSizeF& panel);

/// The panel where it is when it keeps its gap from all of `keepClear`; otherwise the nearest
/// place that does, preferring places that keep clear of `window` as well, on the screen of the
/// window (or of the ring) before any other. Where
/// no such place exists, the same for the first of `keepClear` alone (the ring matters more
/// than its card), then for the middle of a ring wider than the panel can clear; where none
/// keeps clear even of that, the panel stays.
QRectF clearOf(const QList<QRectF>& screens, const std::optional<QRectF>& window,
               const QList<QRectF>& keepClear, const QRectF& panel);

} // namespace PanelPlacement
