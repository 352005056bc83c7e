// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/kwin/KWinHotKey.h"

#include "platform/linux/kwin/KWinConnection.h"

bool KWinHotKey::registerHotKey(std::function<void()> onPress)
{
    QObject::connect(&m_kwin, &KWinConnection::hotKeyPressed, &m_kwin,
                     [onPress = std::move(onPress)] { onPress(); });
    return m_kwin.isSubscribed();
}
