// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/CapturedWindow.h"
#include "core/Result.h"
#include "platform/WindowsPort.h"

#include <QCoro/QCoroTask>

class QThreadPool;

#include <optional>

/// Finds an application's window on screen and captures its pixels.
namespace ScreenCapture {

/// Windows this small (in points, either side) or smaller are never chosen.
inline constexpr double minimumWindowExtent = 50.0;
/// The scale used when no display is known.
inline constexpr double fallbackScale = 2.0;
/// Popups this far or farther from the window belong to something else the application shows.
inline constexpr double popupReach = 200.0;

/// Captures the window of `pid` closest to `preferredFrame` (the first one without it), with
/// the application's open popups drawn in at their places: what the user sees of that
/// application, and nothing of any other. The frame is the area the window and its popups
/// cover together. The failure's description is a complete sentence for the status line.
/// Pixels are read on `pixelReaders` (Qt's global pool without one): a large window's take
/// several megabytes to fetch, which the caller's thread does not wait for.
QCoro::Task<Result<CapturedWindow>> captureFrontWindow(WindowsPort& windows, qint64 pid,
                                                       std::optional<QRectF> preferredFrame,
                                                       QThreadPool* pixelReaders = nullptr);

/// Whether the window `chooseWindow` takes for `pid` and `preferredFrame` now is `windowId`.
bool isWindowFor(WindowsPort& windows, qint64 pid, const QRectF& preferredFrame, quint64 windowId);

/// The window to capture among `candidates` (front to back), or absent.
std::optional<WindowInfo> chooseWindow(const QList<WindowInfo>& windows, qint64 pid,
                                       const std::optional<QRectF>& preferredFrame);

/// The popups (front to back) that belong with `window`: those on it or near it.
QList<WindowInfo> popupsOf(const QList<WindowInfo>& popups, const QRectF& window);

/// The image size for a window of `points` at `scale`: truncated, at least 1 by 1.
QSize pixelSize(const QSizeF& points, double scale);

/// The window with `popups` (back to front) drawn over it at their places, on an image of the
/// area they cover together; what lies outside them takes the window's mean colour.
CapturedWindow compose(const CapturedWindow& window, const QList<CapturedWindow>& popups,
                       double scale);

} // namespace ScreenCapture
