#pragma once

#include "platform/WindowsPort.h"

#include <QSet>

/// A desktop with scripted applications, windows and pixels.
class FakeWindows : public WindowsPort
{
public:
    qint64 pid = 100;
    std::optional<RunningApp> frontmost;
    QSet<qint64> terminated;
    Result<QList<WindowInfo>> windows = QList<WindowInfo>{};
    Result<QImage> pixels = blankImage();
    QList<ScreenInfo> screenList{{QRectF(0, 0, 1920, 1080), 1.0}};
    std::function<void(const RunningApp&)> activationHandler;
    /// When set, pixels come from the streams it makes (as for a freshly redirected window).
    std::function<std::unique_ptr<FrameStreamPort>()> makeStream;
    QList<QPair<quint64, QSize>> captures;

    static QImage blankImage()
    {
        QImage image(16, 16, QImage::Format_RGB32);
        image.fill(Qt::white);
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
    bool hasCurrentPixels(quint64) override { return !makeStream; }
    Result<QImage> windowPixels(quint64 id, QSize size) override
    {
        captures.append({id, size});
        return pixels;
    }
    std::unique_ptr<FrameStreamPort> frameStream(quint64 id, QSize size) override
    {
        captures.append({id, size});
        return makeStream ? makeStream() : nullptr;
    }
    QList<ScreenInfo> screens() override { return screenList; }
};
