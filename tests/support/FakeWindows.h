// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowsPort.h"

#include <QHash>
#include <QMutex>
#include <QSet>

#include <utility>

/// A desktop with scripted applications, windows and pixels.
class FakeWindows : public WindowsPort
{
public:
    qint64 pid = 100;
    std::optional<RunningApp> frontmost;
    QSet<qint64> terminated;
    Result<QList<WindowInfo>> windows = QList<WindowInfo>{};
    Result<QImage> pixels = drawnImage();
    QList<ScreenInfo> screenList{{QRectF(0, 0, 1920, 1080), 1.0}};
    std::function<void(const RunningApp&)> activationHandler;
    /// When set, pixels come from the streams it makes (as for a freshly redirected window).
    std::function<std::unique_ptr<FrameStreamPort>()> makeStream;
    QList<QPair<quint64, QSize>> captures;
    /// Popups by pid, front to back, and each window's own pixels by id (else `pixels`).
    QHash<qint64, QList<WindowInfo>> popupsByPid;
    QHash<quint64, QImage> pixelsById;
    QList<qint64> prepared;
    std::function<void(qint64)> drawnHandler;

    /// Pixels with something drawn everywhere (a fine checkerboard of white and `ink`), so
    /// that the whole image is read as one block of possible text.
    static QImage drawnImage(QSize size = QSize(16, 16), QColor ink = Qt::black)
    {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x)
                image.setPixelColor(x, y, (x + y) % 2 ? ink : QColor(Qt::white));
        }
        return image;
    }

    /// Sends an activation as the desktop would.
    void activate(const RunningApp& app)
    {
        frontmost = app;
        if (activationHandler)
            activationHandler(app);
    }

    qint64 ownPid() const override { return pid; }
    std::optional<RunningApp> frontmostApplication() override { return frontmost; }
    bool isTerminated(qint64 p) override { return terminated.contains(p); }
    void onActivation(std::function<void(const RunningApp&)> handler) override
    {
        activationHandler = std::move(handler);
    }
    Result<QList<WindowInfo>> onScreenWindows() override { return windows; }
    QList<WindowInfo> popups(qint64 p) override { return popupsByPid.value(p); }
    void prepareCapture(qint64 p) override { prepared.append(p); }
    void onDrawn(std::function<void(qint64)> drawn) override { drawnHandler = std::move(drawn); }
    /// A window of `p` draws, as the desktop would say.
    void draw(qint64 p)
    {
        if (drawnHandler)
            drawnHandler(p);
    }
    bool hasCurrentPixels(quint64) override { return !makeStream; }
    Result<QImage> windowPixels(quint64 id, QSize size) override
    {
        const QMutexLocker locked(&m_capturing); // called on a worker, as by the real desktop
        captures.append({id, size});
        if (const auto own = pixelsById.constFind(id); own != pixelsById.constEnd())
            return *own;
        return pixels;
    }
    std::unique_ptr<FrameStreamPort> frameStream(quint64 id, QSize size) override
    {
        captures.append({id, size});
        return makeStream ? makeStream() : nullptr;
    }
    QList<ScreenInfo> screens() override { return screenList; }
    QList<DisplayLayout> displayLayouts() override
    {
        QList<DisplayLayout> layouts;
        for (const ScreenInfo& screen : screenList)
            layouts.append({screen.frame, screen.scale});
        return layouts;
    }

private:
    QMutex m_capturing;
};
