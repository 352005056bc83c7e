// SPDX-License-Identifier: GPL-3.0-or-later
#include "KWinFakeInput.h"

#include <QTest>

#include <fake-input-client-protocol.h>
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstring>

namespace {

// A person's pace: KWin and the application see each press as its own event.
constexpr int keyGapMs = 15;

quint32 keyOf(QChar c)
{
    static const char* const rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
    static const quint32 starts[] = {KEY_Q, KEY_A, KEY_Z};
    for (int row = 0; row < 3; ++row) {
        if (const char* at = std::strchr(rows[row], c.toLatin1()); at && c.toLatin1())
            return starts[row] + quint32(at - rows[row]);
    }
    if (c == u' ')
        return KEY_SPACE;
    if (c == u'.')
        return KEY_DOT;
    if (c == u'0')
        return KEY_0;
    if (c >= u'1' && c <= u'9')
        return KEY_1 + quint32(c.unicode() - u'1');
    return 0;
}

} // namespace

struct KWinFakeInput::Wayland
{
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    org_kde_kwin_fake_input* input = nullptr;

    ~Wayland()
    {
        if (input)
            org_kde_kwin_fake_input_destroy(input);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }

    void send() { wl_display_roundtrip(display); }
};

KWinFakeInput::KWinFakeInput() : m_wayland(std::make_unique<Wayland>())
{
    Wayland& w = *m_wayland;
    w.display = wl_display_connect(nullptr);
    if (!w.display)
        return;
    w.registry = wl_display_get_registry(w.display);
    static const wl_registry_listener globals = {
        [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
            if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
                static_cast<Wayland*>(data)->input = static_cast<org_kde_kwin_fake_input*>(
                    wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
        },
        [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry_add_listener(w.registry, &globals, &w);
    wl_display_roundtrip(w.display);
    if (w.input) {
        org_kde_kwin_fake_input_authenticate(w.input, "Cuewell's tests", "driving the desktop");
        w.send();
    }
}

KWinFakeInput::~KWinFakeInput() = default;

bool KWinFakeInput::isAvailable() const
{
    return m_wayland->input;
}

void KWinFakeInput::click(QPointF at)
{
    Wayland& w = *m_wayland;
    if (!w.input)
        return;
    org_kde_kwin_fake_input_pointer_motion_absolute(w.input, wl_fixed_from_double(at.x()),
                                                    wl_fixed_from_double(at.y()));
    w.send();
    QTest::qWait(100); // the pointer rests before the press, as a hand's does
    org_kde_kwin_fake_input_button(w.input, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
    w.send();
    QTest::qWait(60);
    org_kde_kwin_fake_input_button(w.input, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
    w.send();
}

void KWinFakeInput::press(std::initializer_list<quint32> chord)
{
    Wayland& w = *m_wayland;
    if (!w.input)
        return;
    for (quint32 key : chord) {
        org_kde_kwin_fake_input_keyboard_key(w.input, key, WL_KEYBOARD_KEY_STATE_PRESSED);
        w.send();
        QTest::qWait(keyGapMs);
    }
    for (auto key = std::rbegin(chord); key != std::rend(chord); ++key) {
        org_kde_kwin_fake_input_keyboard_key(w.input, *key, WL_KEYBOARD_KEY_STATE_RELEASED);
        w.send();
        QTest::qWait(keyGapMs);
    }
}

void KWinFakeInput::type(const QString& text)
{
    for (QChar c : text) {
        if (const quint32 key = keyOf(c))
            press({key});
    }
}
