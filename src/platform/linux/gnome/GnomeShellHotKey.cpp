// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/gnome/GnomeShellHotKey.h"

#include "platform/linux/gnome/GnomeShellConnection.h"

bool GnomeShellHotKey::registerHotKey(std::function<void()> onPress)
{
    QObject::connect(&m_shell, &GnomeShellConnection::hotKeyPressed, &m_shell,
                     [onPress = std::move(onPress)] { onPress(); });
    return m_shell.hotKeyTaken();
}
