// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "platform/linux/CompositorWindow.h"

#include <QObject>

#include <chrono>

/// What a Wayland compositor tells Cuewell about windows through the piece of Cuewell it runs
/// (GNOME Shell's extension, KWin's script): on Wayland only the compositor knows where
/// windows are and what they show. The window list is kept as the compositor pushes it, so
/// questions about windows never wait on the bus. Lives on the main thread; `windows()` and
/// `capture()` may be called from any thread.
class CompositorConnection : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// Whether the compositor's side answers, so windows are known and can be captured.
    virtual bool isSubscribed() const = 0;
    /// The windows on screen, front to back, as last pushed.
    virtual QList<CompositorWindow> windows() const = 0;
    /// The monitors, the primary one first, as last pushed; empty when the compositor's side
    /// does not tell (the displays are then Qt's).
    virtual QList<CompositorMonitor> monitors() const = 0;
    /// The window's pixels, cut to its frame. Blocks for at most `timeout`.
    virtual Result<QImage> capture(quint64 windowId, std::chrono::milliseconds timeout) = 0;
    /// Asks to be told when the application's windows redraw.
    virtual void watchApplication(qint64 pid) = 0;
    /// The pid last given to `watchApplication`, or 0.
    virtual qint64 watchedPid() const = 0;

signals:
    void subscribedChanged();
    void windowsChanged();
    void applicationDrawn(qint64 pid);
};
