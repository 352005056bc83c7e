// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FrameStreamPort.h"

#include <QSize>
#include <QTimer>

#include <xcb/damage.h>
#include <xcb/xcb.h>

class X11Windows;

/// The frames of one redirected window: each burst of drawing (Damage events, then a short
/// quiet spell) is one complete frame. Main thread only.
class X11FrameStream : public FrameStreamPort
{
public:
    /// Drawing that has been quiet this long is taken as a finished frame.
    static constexpr int settleMs = 25;
    /// A window that never stops drawing (an animation) still gives a frame this soon after
    /// it started.
    static constexpr int longestFrameMs = 120;
    /// A window that has not drawn at all this long after being asked to is showing what it
    /// showed; the contents copied when it was redirected are its frame.
    static constexpr int idleMs = 400;

    X11FrameStream(X11Windows& windows, xcb_window_t window, QSize pixelSize);
    ~X11FrameStream() override;

    void start(std::function<void(Frame)> onFrame, std::function<void(Failure)> onStopped) override;
    void stop() override;

    xcb_window_t window() const { return m_window; }
    xcb_damage_damage_t damage() const { return m_damage; }
    void setDamage(xcb_damage_damage_t damage) { m_damage = damage; }

    /// Called by the window list for the stream's Damage and destroy events.
    void damaged();
    void windowGone();

private:
    void deliverFrame();

    X11Windows& m_windows;
    xcb_window_t m_window;
    QSize m_pixelSize;
    xcb_damage_damage_t m_damage = XCB_NONE;
    bool m_running = false;
    QTimer m_settle;
    QTimer m_idle;
    QTimer m_longest;
    std::function<void(Frame)> m_onFrame;
    std::function<void(Failure)> m_onStopped;
};
