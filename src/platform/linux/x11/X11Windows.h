// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowsPort.h"
#include "platform/linux/x11/X11CaptureReadiness.h"
#include "platform/linux/x11/X11Connection.h"
#include "platform/linux/x11/X11WindowQueries.h"

#include <QHash>
#include <QObject>
#include <QSet>

#include <xcb/damage.h>

class QSocketNotifier;
class X11FrameStream;

/// The desktop's windows through the X server and the window manager's (EWMH) hints. Window
/// pixels come from the Composite extension, so windows covering the target (Cuewell's own
/// overlay among them) never show in a capture. Lives on the main thread; `windowPixels` may
/// be called from any (xcb serves several threads on one connection).
class X11Windows : public QObject, public WindowsPort
{
    Q_OBJECT
public:
    explicit X11Windows(QObject* parent = nullptr);
    ~X11Windows() override;

    /// Connected to a display with the extensions a capture needs.
    bool canCapture() const { return m_x.isValid() && m_hasComposite && m_hasDamage; }
    bool isConnected() const { return m_x.isValid(); }
    /// Whether a compositing manager owns the display's compositing selection right now.
    bool compositorRunning();

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
    friend class X11FrameStream;

    void processEvents();
    void activeWindowChanged();
    std::optional<RunningApp> applicationOf(xcb_window_t window);
    void endStreamsOf(xcb_window_t window);

    // Frame streams of redirected windows, driven by Damage events.
    bool startStream(X11FrameStream* stream);
    void stopStream(X11FrameStream* stream);
    void markPainted(xcb_window_t window) { m_readiness.markPainted(window); }

    X11Connection m_x;
    X11WindowQueries m_queries;
    X11CaptureReadiness m_readiness;
    bool m_hasComposite = false;
    bool m_hasDamage = false;
    uint8_t m_damageEvent = 0;
    xcb_atom_t m_activeAtom = XCB_NONE;
    QSocketNotifier* m_notifier = nullptr;
    std::function<void(const RunningApp&)> m_onActivation;
    xcb_window_t m_lastActive = XCB_NONE;
    QHash<xcb_damage_damage_t, X11FrameStream*> m_streams;
};
