// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WindowsPort.h"
#include "platform/linux/x11/X11Connection.h"

#include <QList>
#include <QRectF>

#include <optional>

/// Questions about top-level windows, answered by the X server and the window manager's hints.
/// Safe on any thread that owns the connection it is given.
class X11WindowQueries
{
public:
    static constexpr int normalLayer = 0;
    static constexpr int panelLayer = 20;
    static constexpr int otherLayer = 3;
    static constexpr int desktopLayer = -1;
    /// Popups float above every layer of managed windows.
    static constexpr int popupLayer = 101;

    explicit X11WindowQueries(X11Connection& x);

    std::optional<qint64> pidOf(xcb_window_t window);
    int layerOf(xcb_window_t window);
    bool hasState(xcb_window_t window, xcb_atom_t state);
    /// WM_CLASS's class part: the name people know the application by.
    QString classOf(xcb_window_t window);
    xcb_window_t activeWindow();
    /// The managed windows, front to back, that are on screen (not hidden, not the desktop).
    std::optional<QList<WindowInfo>> onScreenWindows();
    /// The open popups of `pid` (menus, lists, popovers, tooltips), front to back: windows that
    /// bypass the window manager (override-redirect), are mapped and can be drawn in.
    QList<WindowInfo> popups(qint64 pid);

private:
    int layerOfTypes(const xcb_ewmh_get_atoms_reply_t* types);

    X11Connection& m_x;
    bool m_hasRes = false;
};
