#include "platform/linux/X11WindowQueries.h"

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
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    auto reply = xReply(xcb_res_query_client_ids_reply(
        m_x.get(), xcb_res_query_client_ids(m_x.get(), 1, &spec), nullptr));
    if (!reply)
        return std::nullopt;
    for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem;
         xcb_res_client_id_value_next(&it)) {
        if (it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID &&
            xcb_res_client_id_value_value_length(it.data) == 1)
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
        return normalLayer; // no type: a normal window
    xcb_ewmh_connection_t* e = m_x.ewmh();
    int layer = otherLayer;
    for (uint32_t i = 0; i < types.atoms_len && layer == otherLayer; ++i) {
        const xcb_atom_t type = types.atoms[i];
        if (type == e->_NET_WM_WINDOW_TYPE_NORMAL || type == e->_NET_WM_WINDOW_TYPE_DIALOG)
            layer = normalLayer;
        else if (type == e->_NET_WM_WINDOW_TYPE_DOCK)
            layer = panelLayer;
        else if (type == e->_NET_WM_WINDOW_TYPE_DESKTOP)
            layer = desktopLayer;
    }
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

bool X11WindowQueries::isViewable(xcb_window_t window)
{
    auto attributes = xReply(xcb_get_window_attributes_reply(
        m_x.get(), xcb_get_window_attributes(m_x.get(), window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::optional<QRectF> X11WindowQueries::frameOf(xcb_window_t window)
{
    xcb_connection_t* c = m_x.get();
    auto geometry = xReply(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    auto origin = xReply(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, m_x.root(), 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    return QRectF(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

std::optional<QList<WindowInfo>> X11WindowQueries::onScreenWindows()
{
    xcb_ewmh_get_windows_reply_t stacking;
    if (!xcb_ewmh_get_client_list_stacking_reply(
            m_x.ewmh(), xcb_ewmh_get_client_list_stacking(m_x.ewmh(), 0), &stacking, nullptr))
        return std::nullopt;
    QList<WindowInfo> windows;
    // The stacking list runs bottom to top; callers want the front first.
    for (uint32_t i = stacking.windows_len; i-- > 0;) {
        const xcb_window_t window = stacking.windows[i];
        const int layer = layerOf(window);
        if (layer == desktopLayer || !isViewable(window) ||
            hasState(window, m_x.ewmh()->_NET_WM_STATE_HIDDEN))
            continue;
        const std::optional<qint64> pid = pidOf(window);
        const std::optional<QRectF> frame = frameOf(window);
        if (pid && frame)
            windows.append({window, *pid, layer, *frame});
    }
    xcb_ewmh_get_windows_reply_wipe(&stacking);
    return windows;
}
