// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/x11/X11HotKey.h"

#include "platform/linux/LinuxLog.h"

#include <xcb/xcb_keysyms.h>

#include <QSocketNotifier>

#include <memory>
#include <utility>

namespace {

constexpr xcb_keysym_t keysymG = 0x0067;                              // XK_g
constexpr uint16_t modifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1; // Control+Alt
// Caps Lock, Num Lock, and both: pressed with any of them, the key still counts.
constexpr uint16_t lockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                     XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

} // namespace

X11HotKey::X11HotKey(QObject* parent) : QObject(parent) {}

X11HotKey::~X11HotKey()
{
    if (m_x.isValid())
        releaseAll();
}

// Releasing a grab another program holds does nothing: the server releases only our own.
void X11HotKey::releaseAll()
{
    for (xcb_keycode_t key : std::as_const(m_keycodes)) {
        for (uint16_t lock : lockVariants)
            xcb_ungrab_key(m_x.get(), key, m_x.root(), modifiers | lock);
    }
    m_keycodes.clear();
    xcb_flush(m_x.get());
}

// All or nothing: the key counts with every combination of the lock keys or not at all, so a
// partly held key never swallows some presses while registration reports failure.
bool X11HotKey::registerHotKey(std::function<void()> onPress)
{
    m_onPress = std::move(onPress);
    if (!m_x.isValid())
        return false;
    if (!m_keycodes.isEmpty())
        return true;
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(m_x.get()), &xcb_key_symbols_free);
    std::unique_ptr<xcb_keycode_t, decltype(&free)> codes(
        xcb_key_symbols_get_keycode(symbols.get(), keysymG), &free);
    bool grabbed = true;
    for (xcb_keycode_t* code = codes.get(); grabbed && code && *code != XCB_NO_SYMBOL; ++code) {
        m_keycodes.append(*code);
        for (uint16_t lock : lockVariants) {
            // A checked request: another program holding the combination answers BadAccess.
            auto error = xReply(xcb_request_check(
                m_x.get(), xcb_grab_key_checked(m_x.get(), 1, m_x.root(), modifiers | lock, *code,
                                                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
            if (error) {
                qCDebug(lcLinux) << "grabbing the hot key failed: X error" << error->error_code;
                grabbed = false;
                break;
            }
        }
    }
    if (!grabbed || m_keycodes.isEmpty()) {
        releaseAll();
        return false;
    }
    if (!m_notifier) {
        m_notifier =
            new QSocketNotifier(xcb_get_file_descriptor(m_x.get()), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &X11HotKey::processEvents);
    }
    return true;
}

void X11HotKey::processEvents()
{
    while (xcb_generic_event_t* raw = xcb_poll_for_event(m_x.get())) {
        auto event = xReply(raw);
        if ((raw->response_type & 0x7f) != XCB_KEY_PRESS)
            continue;
        const auto* press = reinterpret_cast<xcb_key_press_event_t*>(raw);
        if (m_keycodes.contains(press->detail) && (press->state & modifiers) == modifiers &&
            m_onPress)
            m_onPress();
    }
}
