// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PointerPort.h"
#include "platform/linux/x11/X11Connection.h"
#include "platform/linux/x11/X11WindowQueries.h"

#include <QObject>

#include <optional>

class QSocketNotifier;

/// Primary-button clicks anywhere on the display, seen through XInput 2.2 raw events on the
/// root window. Raw events take nothing from the application under the pointer, and (from
/// XInput 2.1 on) keep arriving while another client holds a grab, as open menus do. They carry
/// no position, so the pointer is asked where it is, and over which window, as the button goes
/// down; the click is reported when it comes up.
class X11Pointer : public QObject, public PointerPort
{
    Q_OBJECT
public:
    explicit X11Pointer(QObject* parent = nullptr);

    bool watchPrimaryClicks(std::function<void(const Click&)> onReleased) override;

private:
    void processEvents();
    /// The physical button that acts as the primary one (swapped for left-handed users).
    uint32_t primaryButton();
    /// Where the pointer is, and the process of the innermost window under it.
    Click pointerNow();

    X11Connection m_x;
    X11WindowQueries m_queries;
    uint8_t m_xinputOpcode = 0;
    QSocketNotifier* m_notifier = nullptr;
    std::function<void(const Click&)> m_onReleased;
    std::optional<Click> m_pressed;
};
