// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/kwin/KWinPointer.h"

#include "platform/linux/kwin/KWinConnection.h"

bool KWinPointer::watchPrimaryClicks(std::function<void(const Click&)> onReleased)
{
    QObject::connect(&m_kwin, &KWinConnection::windowOpened, &m_kwin,
                     [onReleased = std::move(onReleased)](qint64 pid, QPointF pointer) {
                         onReleased(Click{pointer, pid});
                     });
    return true;
}
