// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/x11/X11WindowQueries.h"

#include <xcb/res.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>

X11WindowQueries::X11WindowQueries(X11Connection& x) : m_x(x)
{
    if (!m_x.isValid() || !m_x.hasExtension("X-Resource"))
        return;
    xcb_connection_t* c = m_x.get();
    m_hasRes =
        xReply(xcb_res_query_version_reply(c, xcb_res_query_version(c, 1, 2), nullptr)) != nullptr;
}

xcb_window_t X11WindowQueries::activeWindow()
{
    xcb_window_t window = XCB_NONE;
    xcb_ewmh_get_active_window_reply(m_x.ewmh(), xcb_ewmh_get_active_window(m_x.ewmh(), 0), &window,
                                     nullptr);
    return window;
}

std::optional<qint64> X11WindowQueries::pidOf(xcb_window_t window)
{
    uint32_t pid = 0;
    if (xcb_ewmh_get_wm_pid_reply(m_x.ewmh(), xcb_ewmh_get_wm_pid(m_x.ewmh(), window), &pid,
                                  nullptr) &&
        pid > 0)
        return pid;
    if (!m_hasRes)
        return std::nullopt;
    // Without the hint, the server knows which local process owns the window's client.
    xcb_res_client_id_spec_t asked{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    auto reply = xReply(xcb_res_query_client_ids_reply(
        m_x.get(), xcb_res_query_client_ids(m_x.get(), 1, &asked), nullptr));
    if (!reply)
        return std::nullopt;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem;
         xcb_res_client_id_value_next(&it)) {
        // Only the process id was asked for, so a one-number answer is it.
        if (xcb_res_client_id_value_value_length(it.data) == 1)
            return *xcb_res_client_id_value_value(it.data);
    }
    return std::nullopt;
}

bool X11WindowQueries::hasState(xcb_window_t window, xcb_atom_t state)
{
    xcb_ewmh_get_atoms_reply_t states;
    if (!xcb_ewmh_get_wm_state_reply(m_x.ewmh(), xcb_ewmh_get_wm_state(m_x.ewmh(), window), &states,
                                     nullptr))
        return false;
    const bool found = std::find(states.atoms, states.atoms + states.atoms_len, state) !=
                       states.atoms + states.atoms_len;
    xcb_ewmh_get_atoms_reply_wipe(&states);
    return found;
}

int X11WindowQueries::layerOf(xcb_window_t window)
{
    xcb_ewmh_get_atoms_reply_t types;
    if (!xcb_ewmh_get_wm_window_type_reply(
            m_x.ewmh(), xcb_ewmh_get_wm_window_type(m_x.ewmh(), window), &types, nullptr))
        return layerOfTypes(nullptr);
    const int layer = layerOfTypes(&types);
    xcb_ewmh_get_atoms_reply_wipe(&types);
    return layer;
}

QString X11WindowQueries::classOf(xcb_window_t window)
{
    xcb_icccm_get_wm_class_reply_t wmClass;
    if (!xcb_icccm_get_wm_class_reply(m_x.get(), xcb_icccm_get_wm_class(m_x.get(), window),
                                      &wmClass, nullptr))
        return {};
    const QString name = QString::fromLocal8Bit(wmClass.class_name);
    xcb_icccm_get_wm_class_reply_wipe(&wmClass);
    return name;
}

namespace {

// The replies about one window, asked for all at once.
struct WindowCookies
{
    xcb_window_t window;
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_property_cookie_t type;
    xcb_get_property_cookie_t state;
    xcb_get_property_cookie_t pid;
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t origin;
};

// Toolkits map tiny helper windows of their own beside real popups.
constexpr int minimumPopupExtent = 4;

bool contains(const xcb_ewmh_get_atoms_reply_t& atoms, xcb_atom_t atom)
{
    return std::find(atoms.atoms, atoms.atoms + atoms.atoms_len, atom) !=
           atoms.atoms + atoms.atoms_len;
}

} // namespace

int X11WindowQueries::layerOfTypes(const xcb_ewmh_get_atoms_reply_t* types)
{
    if (!types)
        return normalLayer; // no type: a normal window
    xcb_ewmh_connection_t* e = m_x.ewmh();
    for (uint32_t i = 0; i < types->atoms_len; ++i) {
        const xcb_atom_t type = types->atoms[i];
        if (type == e->_NET_WM_WINDOW_TYPE_NORMAL || type == e->_NET_WM_WINDOW_TYPE_DIALOG)
            return normalLayer;
        if (type == e->_NET_WM_WINDOW_TYPE_DOCK)
            return panelLayer;
        if (type == e->_NET_WM_WINDOW_TYPE_DESKTOP)
            return desktopLayer;
    }
    return otherLayer;
}

// Every question about every window is sent before the first answer is read, so listing the
// windows costs one round trip rather than several per window.
std::optional<QList<WindowInfo>> X11WindowQueries::onScreenWindows()
{
    xcb_ewmh_get_windows_reply_t stacking;
    if (!xcb_ewmh_get_client_list_stacking_reply(
            m_x.ewmh(), xcb_ewmh_get_client_list_stacking(m_x.ewmh(), 0), &stacking, nullptr))
        return std::nullopt;
    xcb_connection_t* c = m_x.get();
    xcb_ewmh_connection_t* e = m_x.ewmh();
    QList<WindowCookies> asked;
    // The stacking list runs bottom to top; callers want the front first.
    for (uint32_t i = stacking.windows_len; i-- > 0;) {
        const xcb_window_t w = stacking.windows[i];
        asked.append({w, xcb_get_window_attributes(c, w), xcb_ewmh_get_wm_window_type(e, w),
                      xcb_ewmh_get_wm_state(e, w), xcb_ewmh_get_wm_pid(e, w),
                      xcb_get_geometry(c, w), xcb_translate_coordinates(c, w, m_x.root(), 0, 0)});
    }
    xcb_ewmh_get_windows_reply_wipe(&stacking);

    QList<WindowInfo> windows;
    for (const WindowCookies& k : asked) {
        auto attributes = xReply(xcb_get_window_attributes_reply(c, k.attributes, nullptr));
        xcb_ewmh_get_atoms_reply_t types;
        const bool typed = xcb_ewmh_get_wm_window_type_reply(e, k.type, &types, nullptr);
        const int layer = layerOfTypes(typed ? &types : nullptr);
        if (typed)
            xcb_ewmh_get_atoms_reply_wipe(&types);
        xcb_ewmh_get_atoms_reply_t states;
        bool hidden = false;
        if (xcb_ewmh_get_wm_state_reply(e, k.state, &states, nullptr)) {
            hidden = contains(states, e->_NET_WM_STATE_HIDDEN);
            xcb_ewmh_get_atoms_reply_wipe(&states);
        }
        uint32_t hintedPid = 0;
        xcb_ewmh_get_wm_pid_reply(e, k.pid, &hintedPid, nullptr);
        auto geometry = xReply(xcb_get_geometry_reply(c, k.geometry, nullptr));
        auto origin = xReply(xcb_translate_coordinates_reply(c, k.origin, nullptr));
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        if (layer == desktopLayer || !viewable || hidden || !geometry || !origin)
            continue;
        const std::optional<qint64> pid =
            hintedPid > 0 ? std::optional<qint64>(hintedPid) : pidOf(k.window);
        if (pid) {
            windows.append(
                {k.window, *pid, layer,
                 QRectF(origin->dst_x, origin->dst_y, geometry->width, geometry->height)});
        }
    }
    return windows;
}

QList<WindowInfo> X11WindowQueries::popups(qint64 pid)
{
    xcb_connection_t* c = m_x.get();
    auto tree = xReply(xcb_query_tree_reply(c, xcb_query_tree(c, m_x.root()), nullptr));
    if (!tree)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    struct Asked
    {
        xcb_window_t window;
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t pid;
        xcb_get_geometry_cookie_t geometry;
    };
    QList<Asked> asked;
    asked.reserve(count);
    // The tree lists the root's children bottom to top; callers want the front first.
    for (int i = count; i-- > 0;) {
        const xcb_window_t w = children[i];
        asked.append({w, xcb_get_window_attributes(c, w), xcb_ewmh_get_wm_pid(m_x.ewmh(), w),
                      xcb_get_geometry(c, w)});
    }
    QList<WindowInfo> found;
    for (const Asked& k : asked) {
        auto attributes = xReply(xcb_get_window_attributes_reply(c, k.attributes, nullptr));
        uint32_t owner = 0;
        const bool hinted = xcb_ewmh_get_wm_pid_reply(m_x.ewmh(), k.pid, &owner, nullptr);
        auto geometry = xReply(xcb_get_geometry_reply(c, k.geometry, nullptr));
        if (!attributes || !geometry || !attributes->override_redirect ||
            attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT ||
            geometry->width < minimumPopupExtent || geometry->height < minimumPopupExtent)
            continue;
        if ((hinted ? std::optional<qint64>(owner) : pidOf(k.window)) != pid)
            continue;
        found.append({k.window, pid, popupLayer,
                      QRectF(geometry->x, geometry->y, geometry->width, geometry->height)});
    }
    return found;
}
