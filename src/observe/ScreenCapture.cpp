// SPDX-License-Identifier: GPL-3.0-or-later
#include "observe/ScreenCapture.h"

#include "core/Texts.h"
#include "observe/FrameGrabber.h"
#include "observe/ObserveLog.h"

#include <QPainter>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <QCoro/QCoroFuture>

#include <cmath>

namespace ScreenCapture {

namespace {

bool qualifies(const WindowInfo& window, qint64 pid)
{
    return window.pid == pid && window.layer == 0 && window.frame.width() > minimumWindowExtent &&
           window.frame.height() > minimumWindowExtent;
}

double distance(const QRectF& a, const QRectF& b)
{
    return std::abs(a.x() - b.x()) + std::abs(a.y() - b.y()) + std::abs(a.width() - b.width()) +
           std::abs(a.height() - b.height());
}

// A window whose pixels are not readable yet (just redirected, say) gives its first complete
// frame instead.
QCoro::Task<Result<QImage>> takePixels(WindowsPort& windows, quint64 id, QSize size,
                                       QThreadPool* readers)
{
    if (!windows.hasCurrentPixels(id)) {
        if (std::unique_ptr<FrameStreamPort> stream = windows.frameStream(id, size)) {
            FrameGrabber grabber(std::move(stream));
            Result<QImage> frame = co_await grabber.grab();
            co_return frame;
        }
    }
    QFuture<Result<QImage>> reading =
        QtConcurrent::run(readers ? readers : QThreadPool::globalInstance(),
                          [&windows, id, size] { return windows.windowPixels(id, size); });
    Result<QImage> pixels = co_await reading;
    co_return pixels;
}

// A window is drawn at the scale of the screen holding its centre (the first screen's when it
// is on none).
double scaleOfScreenHolding(const QList<ScreenInfo>& screens, const QRectF& frame)
{
    for (const ScreenInfo& screen : screens) {
        if (screen.frame.contains(frame.center()))
            return screen.scale;
    }
    return screens.isEmpty() ? fallbackScale : screens.first().scale;
}

} // namespace

QList<WindowInfo> popupsOf(const QList<WindowInfo>& popups, const QRectF& window)
{
    const QRectF near = window.adjusted(-popupReach, -popupReach, popupReach, popupReach);
    QList<WindowInfo> kept;
    for (const WindowInfo& popup : popups) {
        if (popup.frame.intersects(near))
            kept.append(popup);
    }
    return kept;
}

std::optional<WindowInfo> chooseWindow(const QList<WindowInfo>& windows, qint64 pid,
                                       const std::optional<QRectF>& preferredFrame)
{
    std::optional<WindowInfo> best;
    double bestDistance = 0;
    for (const WindowInfo& window : windows) {
        if (!qualifies(window, pid))
            continue;
        if (!preferredFrame)
            return window;
        const double d = distance(window.frame, *preferredFrame);
        if (!best || d < bestDistance) {
            best = window;
            bestDistance = d;
        }
    }
    return best;
}

QSize pixelSize(const QSizeF& points, double scale)
{
    const auto side = [scale](double extent) {
        const double pixels = std::trunc(scale * extent);
        return pixels >= 1 && pixels < 1e6 ? static_cast<int>(pixels) : 1;
    };
    return {side(points.width()), side(points.height())};
}

QCoro::Task<Result<CapturedWindow>> captureFrontWindow(WindowsPort& windows, qint64 pid,
                                                       std::optional<QRectF> preferredFrame,
                                                       QThreadPool* pixelReaders)
{
    const Result<QList<WindowInfo>> listed = windows.onScreenWindows();
    if (!listed)
        co_return Failure{Texts::captureFailed(listed.failure().description)};
    const std::optional<WindowInfo> chosen = chooseWindow(listed.value(), pid, preferredFrame);
    if (!chosen)
        co_return Failure{Texts::noVisibleWindow()};

    const double scale = scaleOfScreenHolding(windows.screens(), chosen->frame);
    const QSize size = pixelSize(chosen->frame.size(), scale);
    Result<QImage> pixels = co_await takePixels(windows, chosen->id, size, pixelReaders);
    if (!pixels) {
        qCDebug(lcObserve) << "capturing window" << chosen->id
                           << "failed:" << pixels.failure().description;
        co_return Failure{Texts::captureFailed(pixels.failure().description)};
    }
    const CapturedWindow window{std::move(pixels).value(), chosen->frame, chosen->id, {}};
    const QList<WindowInfo> popups = popupsOf(windows.popups(pid), chosen->frame);
    QList<CapturedWindow> drawn;
    for (auto popup = popups.crbegin(); popup != popups.crend(); ++popup) {
        const QSize popupSize = pixelSize(popup->frame.size(), scale);
        Result<QImage> popupPixels =
            co_await takePixels(windows, popup->id, popupSize, pixelReaders);
        // A popup that closed meanwhile is simply not there.
        if (popupPixels)
            drawn.append({std::move(popupPixels).value(), popup->frame, popup->id, {}});
    }
    if (drawn.isEmpty())
        co_return window;
    co_return compose(window, drawn, scale);
}

CapturedWindow compose(const CapturedWindow& window, const QList<CapturedWindow>& popups,
                       double scale)
{
    QRectF area = window.frame;
    for (const CapturedWindow& popup : popups)
        area = area.united(popup.frame);
    QImage alone(pixelSize(area.size(), scale), QImage::Format_RGB32);
    alone.fill(window.image.isNull()
                   ? QColor(Qt::white)
                   : window.image.scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .pixelColor(0, 0));
    const auto place = [&](QPainter& painter, const CapturedWindow& layer) {
        const QPoint at = ((layer.frame.topLeft() - area.topLeft()) * scale).toPoint();
        painter.drawImage(at, layer.image);
        return QRect(at, layer.image.size());
    };
    {
        QPainter painter(&alone);
        place(painter, window);
    }
    QImage image = alone.copy();
    QPainter painter(&image);
    QList<QRect> drawn;
    for (const CapturedWindow& popup : popups)
        drawn.append(place(painter, popup));
    painter.end();
    return {image, area, window.windowId, drawn, alone};
}

bool isWindowFor(WindowsPort& windows, qint64 pid, const QRectF& preferredFrame, quint64 windowId)
{
    const Result<QList<WindowInfo>> listed = windows.onScreenWindows();
    if (!listed)
        return true; // nothing better to take
    const std::optional<WindowInfo> chosen = chooseWindow(listed.value(), pid, preferredFrame);
    return !chosen || chosen->id == windowId;
}

} // namespace ScreenCapture
