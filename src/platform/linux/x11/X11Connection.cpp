// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/x11/X11Connection.h"

#include <cstdlib>

X11Connection::X11Connection()
{
    m_connection = xcb_connect(nullptr, nullptr);
    if (!isValid())
        return;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(m_connection, &m_ewmh);
    m_ewmhReady = xcb_ewmh_init_atoms_replies(&m_ewmh, cookies, nullptr) != 0;
}

X11Connection::~X11Connection()
{
    if (m_ewmhReady)
        xcb_ewmh_connection_wipe(&m_ewmh);
    if (m_connection)
        xcb_disconnect(m_connection);
}

xcb_atom_t X11Connection::atom(const QByteArray& name)
{
    auto reply = xReply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, name.size(), name.constData()), nullptr));
    return reply ? reply->atom : XCB_NONE;
}

bool X11Connection::hasExtension(const QByteArray& name)
{
    auto reply = xReply(xcb_query_extension_reply(
        m_connection, xcb_query_extension(m_connection, name.size(), name.constData()), nullptr));
    return reply && reply->present;
}
