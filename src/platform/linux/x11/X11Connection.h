// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <QByteArray>

#include <memory>

/// One connection to the X server with the EWMH atoms interned. Owns both.
class X11Connection
{
public:
    /// Connects to the display named by DISPLAY; check `isValid()`.
    X11Connection();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    bool isValid() const { return m_connection && !xcb_connection_has_error(m_connection); }
    xcb_connection_t* get() const { return m_connection; }
    xcb_ewmh_connection_t* ewmh() { return &m_ewmh; }
    xcb_window_t root() const { return m_root; }
    xcb_atom_t atom(const QByteArray& name);

    /// Whether the server offers an extension (by its X name, such as "Composite").
    bool hasExtension(const QByteArray& name);

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_ewmh_connection_t m_ewmh{};
    bool m_ewmhReady = false;
    xcb_window_t m_root = XCB_NONE;
};

/// Frees an xcb reply when it goes out of scope.
template <typename T> using XReply = std::unique_ptr<T, decltype(&free)>;

template <typename T> XReply<T> xReply(T* reply)
{
    return XReply<T>(reply, &free);
}
