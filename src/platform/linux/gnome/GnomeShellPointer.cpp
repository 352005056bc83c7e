// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/gnome/GnomeShellPointer.h"

#include "platform/linux/gnome/GnomeShellConnection.h"

bool GnomeShellPointer::watchPrimaryClicks(std::function<void(const Click&)> onReleased)
{
    QObject::connect(&m_shell, &GnomeShellConnection::primaryReleased, &m_shell,
                     [onReleased = std::move(onReleased)](QPointF at, qint64 pid) {
                         onReleased(Click{at, pid});
                     });
    return true;
}
