// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/KWinPanelPlacer.h"

#include "platform/linux/kwin/KWinConnection.h"

#include <QCoreApplication>

GuidePanel::Placer KWinPanelPlacer::placer()
{
    return {[this] { return ownFrame(); },
            [this](QPoint topLeft) { m_kwin.setPanelPlace(topLeft); }};
}

// The script reports no window of Cuewell's but the panel.
std::optional<QRectF> KWinPanelPlacer::ownFrame() const
{
    const qint64 own = QCoreApplication::applicationPid();
    for (const CompositorWindow& window : m_kwin.windows()) {
        if (window.pid == own && !window.popup && window.layer == 0)
            return QRectF(window.frame);
    }
    return std::nullopt;
}
