// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/x11/X11Pointer.h"

#include "platform/linux/LinuxLog.h"

#include <xcb/xinput.h>

#include <QSocketNotifier>

#include <utility>

namespace {
// Top-level windows hold their widgets' windows only a few levels deep.
constexpr int maxWindowDepth = 16;
} // namespace

X11Pointer::X11Pointer(QObject* parent) : QObject(parent), m_queries(m_x) {}

bool X11Pointer::watchPrimaryClicks(std::function<void(const Click&)> onReleased)
{
    m_onReleased = std::move(onReleased);
    if (m_notifier)
        return true;
    if (!m_x.isValid())
        return false;
    xcb_connection_t* c = m_x.get();
    const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(c, &xcb_input_id);
    if (!xinput || !xinput->present)
        return false;
    // 2.2 is asked for: with 2.0 the server leaves out presses made during another's grab.
    auto version =
        xReply(xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || version->major_version < 2 ||
        (version->major_version == 2 && version->minor_version < 1))
        return false;
    m_xinputOpcode = xinput->major_opcode;
    struct
    {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
                XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS |
                    XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE};
    auto error = xReply(xcb_request_check(
        c, xcb_input_xi_select_events_checked(c, m_x.root(), 1, &selection.head)));
    if (error) {
        qCDebug(lcLinux) << "watching button presses failed: X error" << error->error_code;
        return false;
    }
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11Pointer::processEvents);
    return true;
}

uint32_t X11Pointer::primaryButton()
{
    xcb_connection_t* c = m_x.get();
    auto mapping = xReply(xcb_get_pointer_mapping_reply(c, xcb_get_pointer_mapping(c), nullptr));
    if (mapping) {
        const uint8_t* map = xcb_get_pointer_mapping_map(mapping.get());
        for (int i = 0; i < xcb_get_pointer_mapping_map_length(mapping.get()); ++i) {
            if (map[i] == 1)
                return static_cast<uint32_t>(i + 1);
        }
    }
    return 1;
}

// The pointer's window is found by descending from the root to the innermost window under it;
// its owner is the process the press reached (a click-through overlay takes no part in this).
PointerPort::Click X11Pointer::pointerNow()
{
    xcb_connection_t* c = m_x.get();
    Click click;
    xcb_window_t window = m_x.root();
    for (int depth = 0; depth < maxWindowDepth; ++depth) {
        auto pointer = xReply(xcb_query_pointer_reply(c, xcb_query_pointer(c, window), nullptr));
        if (!pointer)
            break;
        if (depth == 0)
            click.position = QPointF(pointer->root_x, pointer->root_y);
        if (pointer->child == XCB_NONE)
            break;
        window = pointer->child;
    }
    if (window != m_x.root())
        click.pid = m_queries.pidOf(window).value_or(0);
    return click;
}

void X11Pointer::processEvents()
{
    xcb_connection_t* c = m_x.get();
    while (xcb_generic_event_t* raw = xcb_poll_for_event(c)) {
        auto event = xReply(raw);
        if ((raw->response_type & 0x7f) != XCB_GE_GENERIC)
            continue;
        const auto* generic = reinterpret_cast<xcb_ge_generic_event_t*>(raw);
        const bool press = generic->event_type == XCB_INPUT_RAW_BUTTON_PRESS;
        if (generic->extension != m_xinputOpcode ||
            (!press && generic->event_type != XCB_INPUT_RAW_BUTTON_RELEASE))
            continue;
        const auto* button = reinterpret_cast<xcb_input_raw_button_press_event_t*>(raw);
        if (button->detail != primaryButton())
            continue;
        if (press) {
            m_pressed = pointerNow();
        } else if (m_pressed) {
            const Click click = *std::exchange(m_pressed, std::nullopt);
            if (m_onReleased)
                m_onReleased(click);
        }
    }
}
