// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotKeyPort.h"
#include "platform/linux/x11/X11Connection.h"

#include <QList>
#include <QObject>

class QSocketNotifier;

/// Control+Alt+G grabbed on the root window of the display, in every combination of the lock
/// keys (Caps Lock, Num Lock) so that it works whichever of them is on.
class X11HotKey : public QObject, public HotKeyPort
{
    Q_OBJECT
public:
    explicit X11HotKey(QObject* parent = nullptr);
    ~X11HotKey() override;

    bool registerHotKey(std::function<void()> onPress) override;

private:
    void processEvents();
    void releaseAll();

    X11Connection m_x;
    QList<xcb_keycode_t> m_keycodes;
    QSocketNotifier* m_notifier = nullptr;
    std::function<void()> m_onPress;
};
