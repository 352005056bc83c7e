#pragma once

#include "platform/PointerPort.h"
#include "platform/linux/X11Connection.h"

#include <QObject>

class QSocketNotifier;

/// Primary-button presses anywhere on the display, seen through XInput 2.2 raw events on the
/// root window. Raw events take nothing from the application under the pointer, and (from
/// XInput 2.1 on) keep arriving while another client holds a grab, as open menus do. They carry
/// no position, so the pointer is asked where it is as each press arrives.
class X11Pointer : public QObject, public PointerPort
{
    Q_OBJECT
public:
    explicit X11Pointer(QObject* parent = nullptr);

    bool watchPrimaryPresses(std::function<void(QPointF)> onPress) override;

private:
    void processEvents();
    /// The physical button that acts as the primary one (swapped for left-handed users).
    uint32_t primaryButton();

    X11Connection m_x;
    uint8_t m_xinputOpcode = 0;
    QSocketNotifier* m_notifier = nullptr;
    std::function<void(QPointF)> m_onPress;
};
