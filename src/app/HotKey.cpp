// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HotKey.h"

#include "app/AppLog.h"
#include "platform/HotKeyPort.h"

bool HotKey::registerHotKey(std::function<void()> onPress)
{
    const bool taken = m_port.registerHotKey(std::move(onPress));
    if (!taken)
        qCWarning(lcApp) << "the hot key Control+Alt+G could not be registered";
    return taken;
}
