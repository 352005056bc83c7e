// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/linux/x11/X11Connection.h"

#include <QHash>
#include <QMutex>
#include <QRect>
#include <QSet>

#include <xcb/damage.h>

#include <functional>

class X11WindowQueries;

/// Keeps windows ready to be captured. A redirected window keeps its own pixels off screen, so
/// they can be read even under other windows; one that has drawn since it was redirected holds
/// what it shows. The target application's windows and popups are redirected as soon as it
/// becomes the target (its popups as they open) and watched with Damage, which also tells when
/// the application last changed anything; those of an application that stops being the target
/// are let go. Main thread only, but for `redirect`, which a pixel read on a worker calls.
class X11CaptureReadiness
{
public:
    X11CaptureReadiness(X11Connection& x, X11WindowQueries& queries);
    ~X11CaptureReadiness();
    X11CaptureReadiness(const X11CaptureReadiness&) = delete;
    X11CaptureReadiness& operator=(const X11CaptureReadiness&) = delete;

    /// `pid` is the target from now on; 0 lets every window go.
    void prepare(qint64 pid);

    /// Redirects `window` (once); false when the server refuses (the window is gone).
    bool redirect(xcb_window_t window);
    /// Whether the window's pixels can be read now.
    bool hasPixels(xcb_window_t window) const { return m_painted.contains(window); }
    void markPainted(xcb_window_t window) { m_painted.insert(window); }

    /// Events of the root window and of watched windows.
    void windowMapped(xcb_window_t window, bool overrideRedirect);
    void windowUnmapped(xcb_window_t window);
    void windowDestroyed(xcb_window_t window);
    /// `area` of the window was drawn; `size` is the window's.
    void damaged(xcb_window_t window, const QRect& area, const QSize& size);

    /// Called with the application's pid as a watched window draws.
    void onDrawn(std::function<void(qint64 pid)> drawn) { m_drawnHandler = std::move(drawn); }

private:
    struct Watched
    {
        qint64 pid;
        xcb_damage_damage_t damage;
    };

    void watch(xcb_window_t window, qint64 pid);
    void release(xcb_window_t window);

    X11Connection& m_x;
    X11WindowQueries& m_queries;
    qint64 m_target = 0;
    QMutex m_redirectedLock;
    QSet<xcb_window_t> m_redirected;
    QSet<xcb_window_t> m_painted; // redirected and drawn since: its pixmap holds its pixels
    QHash<xcb_window_t, Watched> m_watched;
    // What a watched window has drawn since it was redirected, until it has drawn all of it.
    QHash<xcb_window_t, QRect> m_drawn;
    std::function<void(qint64 pid)> m_drawnHandler;
};
