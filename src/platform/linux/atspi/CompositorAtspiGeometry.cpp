// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/atspi/CompositorAtspiGeometry.h"

std::optional<QPointF> CompositorAtspiGeometry::originOf(qint64 pid, const QSizeF& accessibleSize)
{
    QList<CompositorWindow> own;
    for (const CompositorWindow& window : m_windows()) {
        if (window.pid == pid)
            own.append(window);
    }
    return CompositorGeometry::accessibleOrigin(accessibleSize, own);
}

std::optional<QRectF> CompositorAtspiGeometry::popupBeside(qint64 pid, const QRectF& anchor)
{
    QList<CompositorWindow> popups;
    for (const CompositorWindow& window : m_windows()) {
        if (window.popup && window.pid == pid)
            popups.append(window);
    }
    return CompositorGeometry::popupBeside(anchor, popups);
}

// Toolkits size a popup's accessible by all they draw, shadow included: the buffer.
QList<WindowInfo> CompositorAtspiGeometry::popups(qint64 pid)
{
    QList<WindowInfo> popups;
    for (const CompositorWindow& window : m_windows()) {
        if (window.popup && window.pid == pid)
            popups.append({window.id, window.pid, window.layer, QRectF(window.buffer)});
    }
    return popups;
}
