#pragma once

#include "core/CapturedWindow.h"
#include "core/Result.h"
#include "platform/WindowsPort.h"

#include <QCoro/QCoroTask>

#include <optional>

/// Finds an application's window on screen and captures its pixels.
namespace ScreenCapture {

/// Windows this small (in points, either side) or smaller are never chosen.
inline constexpr double minimumWindowExtent = 50.0;
/// The scale used when no display is known.
inline constexpr double fallbackScale = 2.0;

/// Captures the window of `pid` closest to `preferredFrame` (the first one without it). The
/// failure's description is a complete sentence for the status line.
QCoro::Task<Result<CapturedWindow>> captureFrontWindow(WindowsPort& windows, qint64 pid,
                                                       std::optional<QRectF> preferredFrame);

/// The window to capture among `candidates` (front to back), or absent.
std::optional<WindowInfo> chooseWindow(const QList<WindowInfo>& windows, qint64 pid,
                                       const std::optional<QRectF>& preferredFrame);

/// The image size for a window of `points` at `scale`: truncated, at least 1 by 1.
QSize pixelSize(const QSizeF& points, double scale);

} // namespace ScreenCapture
