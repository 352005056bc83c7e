// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/GnomeShellAtspiGeometry.h"

#include "platform/linux/GnomeShellConnection.h"

std::optional<QPointF> GnomeShellAtspiGeometry::originOf(qint64 pid, const QSizeF& accessibleSize)
{
    QList<GnomeShellWindow> own;
    for (const GnomeShellWindow& window : m_shell.windows()) {
        if (window.pid == pid)
            own.append(window);
    }
    return GnomeShellGeometry::accessibleOrigin(accessibleSize, own);
}

std::optional<QRectF> GnomeShellAtspiGeometry::popupBeside(qint64 pid, const QRectF& anchor)
{
    QList<GnomeShellWindow> popups;
    for (const GnomeShellWindow& window : m_shell.windows()) {
        if (window.popup && window.pid == pid)
            popups.append(window);
    }
    return GnomeShellGeometry::popupBeside(anchor, popups);
}

// Toolkits size a popup's accessible by all they draw, shadow included: the buffer.
QList<WindowInfo> GnomeShellAtspiGeometry::popups(qint64 pid)
{
    QList<WindowInfo> popups;
    for (const GnomeShellWindow& window : m_shell.windows()) {
        if (window.popup && window.pid == pid)
            popups.append({window.id, window.pid, window.layer, QRectF(window.buffer)});
    }
    return popups;
}
