// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/x11/X11CaptureReadiness.h"

#include "platform/linux/LinuxLog.h"
#include "platform/linux/x11/X11WindowQueries.h"

#include <xcb/composite.h>

#include <utility>

X11CaptureReadiness::X11CaptureReadiness(X11Connection& x, X11WindowQueries& queries)
    : m_x(x), m_queries(queries)
{
}

X11CaptureReadiness::~X11CaptureReadiness()
{
    if (!m_x.isValid())
        return;
    const QList<xcb_window_t> windows = m_watched.keys();
    for (xcb_window_t window : windows)
        release(window);
    xcb_flush(m_x.get());
}

void X11CaptureReadiness::prepare(qint64 pid)
{
    if (pid != m_target) {
        // Everything redirected for the application before goes, watched or captured once.
        const QList<xcb_window_t> previous = m_watched.keys();
        for (xcb_window_t window : previous)
            release(window);
        QSet<xcb_window_t> captured;
        {
            const QMutexLocker locked(&m_redirectedLock);
            captured = std::exchange(m_redirected, {});
        }
        for (xcb_window_t window : captured) {
            xcb_composite_unredirect_window(m_x.get(), window, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
            m_painted.remove(window);
        }
        m_target = pid;
    }
    if (pid <= 0) {
        xcb_flush(m_x.get());
        return;
    }
    if (const std::optional<QList<WindowInfo>> windows = m_queries.onScreenWindows()) {
        for (const WindowInfo& window : *windows) {
            if (window.pid == pid)
                watch(static_cast<xcb_window_t>(window.id), pid);
        }
    }
    for (const WindowInfo& popup : m_queries.popups(pid))
        watch(static_cast<xcb_window_t>(popup.id), pid);
    xcb_flush(m_x.get());
}

bool X11CaptureReadiness::redirect(xcb_window_t window)
{
    const QMutexLocker locked(&m_redirectedLock);
    if (m_redirected.contains(window))
        return true;
    xcb_connection_t* c = m_x.get();
    auto error = xReply(xcb_request_check(
        c, xcb_composite_redirect_window_checked(c, window, XCB_COMPOSITE_REDIRECT_AUTOMATIC)));
    if (error) {
        qCDebug(lcLinux) << "redirecting a window failed: X error" << error->error_code;
        return false;
    }
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    m_redirected.insert(window);
    return true;
}

// A redirected window is asked to draw itself again at once: what the server copied into its
// new pixmap is the screen, with whatever covered the window.
void X11CaptureReadiness::watch(xcb_window_t window, qint64 pid)
{
    if (m_watched.contains(window) || !redirect(window))
        return;
    xcb_connection_t* c = m_x.get();
    const xcb_damage_damage_t damage = xcb_generate_id(c);
    xcb_damage_create(c, damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
    m_watched.insert(window, {pid, damage});
    xcb_clear_area(c, 1, window, 0, 0, 0, 0);
}

void X11CaptureReadiness::release(xcb_window_t window)
{
    const auto watched = m_watched.constFind(window);
    if (watched == m_watched.constEnd())
        return;
    xcb_connection_t* c = m_x.get();
    xcb_damage_destroy(c, watched->damage);
    m_watched.erase(watched);
    if (const QMutexLocker locked(&m_redirectedLock); m_redirected.remove(window))
        xcb_composite_unredirect_window(c, window, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    m_painted.remove(window);
    m_drawn.remove(window);
}

void X11CaptureReadiness::windowMapped(xcb_window_t window, bool overrideRedirect)
{
    // Popups bypass the window manager; the target's new managed windows are prepared when
    // they become active.
    if (!overrideRedirect || m_target <= 0 || m_queries.pidOf(window) != m_target)
        return;
    watch(window, m_target);
    xcb_flush(m_x.get());
}

void X11CaptureReadiness::windowUnmapped(xcb_window_t window)
{
    // An unmapped window's pixmap is gone; the window draws again when it is mapped.
    m_painted.remove(window);
    m_drawn.remove(window);
}

void X11CaptureReadiness::windowDestroyed(xcb_window_t window)
{
    m_painted.remove(window);
    m_drawn.remove(window);
    {
        const QMutexLocker locked(&m_redirectedLock);
        m_redirected.remove(window);
    }
    m_watched.remove(window); // the server frees its Damage with it
}

// A redirected window holds what it shows only once it has drawn all of itself: until then,
// parts of its pixmap are the copy of the screen taken when it was redirected.
void X11CaptureReadiness::damaged(xcb_window_t window, const QRect& area, const QSize& size)
{
    const auto watched = m_watched.constFind(window);
    if (watched == m_watched.constEnd())
        return;
    if (!m_painted.contains(window)) {
        QRect& drawn = m_drawn[window];
        drawn = drawn.united(area);
        if (drawn.contains(QRect(QPoint(0, 0), size))) {
            m_painted.insert(window);
            m_drawn.remove(window);
        }
    }
    if (m_drawnHandler)
        m_drawnHandler(watched->pid);
}
