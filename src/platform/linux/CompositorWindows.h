// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowsPort.h"

#include <QObject>

class CompositorConnection;

/// The desktop's windows on Wayland, as the compositor reports them through Cuewell's piece
/// of it (GNOME Shell's extension, KWin's script).
/// Pixels come from the compositor, so windows covering the target (the ring among them)
/// never show in a capture. Lives on the main thread; `windowPixels` may be called from any.
class CompositorWindows : public QObject, public WindowsPort
{
    Q_OBJECT
public:
    explicit CompositorWindows(CompositorConnection& compositor, QObject* parent = nullptr);
    ~CompositorWindows() override;

    qint64 ownPid() const override;
    std::optional<RunningApp> frontmostApplication() override;
    bool isTerminated(qint64 pid) override;
    void onActivation(std::function<void(const RunningApp&)> handler) override;
    Result<QList<WindowInfo>> onScreenWindows() override;
    QList<WindowInfo> popups(qint64 pid) override;
    void prepareCapture(qint64 pid) override;
    void onDrawn(std::function<void(qint64 pid)> drawn) override;
    bool hasCurrentPixels(quint64 windowId) override;
    Result<QImage> windowPixels(quint64 windowId, QSize pixelSize) override;
    std::unique_ptr<FrameStreamPort> frameStream(quint64 windowId, QSize pixelSize) override;
    QList<ScreenInfo> screens() override;
    QList<DisplayLayout> displayLayouts() override;

private:
    void windowsChanged();
    void drawn(qint64 pid);

    CompositorConnection& m_compositor;
    std::function<void(const RunningApp&)> m_onActivation;
    qint64 m_lastFocusedPid = 0;
    std::function<void(qint64 pid)> m_drawn;
};
