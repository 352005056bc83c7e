// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Result.h"
#include "platform/FrameStreamPort.h"

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

/// A running application as the session sees it.
struct RunningApp
{
    qint64 pid = 0;
    /// The name a person recognises; may be empty.
    QString name;
    /// An ordinary application with windows of its own (not a panel, dock or background agent).
    bool regular = false;
};

/// A window on screen. `layer` 0 is the layer of ordinary application windows.
struct WindowInfo
{
    quint64 id = 0;
    qint64 pid = 0;
    int layer = 0;
    /// Global top-left-origin points.
    QRectF frame;
};

/// A display. The first screen of a list is the main one.
struct ScreenInfo
{
    QRectF frame;
    qreal scale = 1.0;
};

/// A display as Cuewell's panel is placed on it: the area windows may use, in the logical
/// pixels windows are placed in, and how many units of `WindowInfo::frame` make one of those
/// (device pixels on X11; on GNOME on Wayland, frames are logical already).
struct DisplayLayout
{
    QRectF available;
    qreal framePixelsPerLogical = 1.0;
};

/// The desktop's windows and applications.
class WindowsPort
{
public:
    virtual ~WindowsPort() = default;

    virtual qint64 ownPid() const = 0;

    /// The application whose window is active, or absent.
    virtual std::optional<RunningApp> frontmostApplication() = 0;

    virtual bool isTerminated(qint64 pid) = 0;

    /// Calls `handler` on the main thread each time an application becomes active.
    virtual void onActivation(std::function<void(const RunningApp&)> handler) = 0;

    /// The windows on screen, front to back, desktop windows excluded.
    virtual Result<QList<WindowInfo>> onScreenWindows() = 0;

    /// The application's open popups (menus, lists, popovers), front to back: windows of its
    /// own that float above its windows, outside the window manager's list.
    virtual QList<WindowInfo> popups(qint64 pid) = 0;

    /// Keeps the windows and popups of `pid` ready to be captured at once from now on, and lets
    /// those of the application prepared before go (all of them for 0). Called for the target
    /// while the panel is open or a session runs, so a step never waits for a window to draw.
    virtual void prepareCapture(qint64 pid) = 0;

    /// Calls `drawn` on the main thread with the application's pid each time a window or popup
    /// of the application prepared for capture draws, instead of whatever was called before.
    virtual void onDrawn(std::function<void(qint64 pid)> drawn) = 0;

    /// Whether the window's own pixels can be read at once with `windowPixels`; when not, they
    /// come from a frame stream (the first complete frame).
    virtual bool hasCurrentPixels(quint64 windowId) = 0;

    /// The window's own pixels (never those of windows covering it) at `pixelSize`. May be
    /// called from any thread: fetching a large window's pixels takes long enough to be felt.
    virtual Result<QImage> windowPixels(quint64 windowId, QSize pixelSize) = 0;

    /// A stream of the window's frames at `pixelSize`.
    virtual std::unique_ptr<FrameStreamPort> frameStream(quint64 windowId, QSize pixelSize) = 0;

    /// The displays, main display first.
    virtual QList<ScreenInfo> screens() = 0;

    /// The displays for placing Cuewell's panel, main display first.
    virtual QList<DisplayLayout> displayLayouts() = 0;
};
