// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/GuidePanel.h"

class KWinConnection;

/// Places the panel on KDE Plasma on Wayland, where only KWin can: the place is left with
/// Cuewell's KWin script, which asks for it as the panel or the highlight appears, so the
/// panel is moved before the ring it must keep clear of is seen.
class KWinPanelPlacer
{
public:
    explicit KWinPanelPlacer(KWinConnection& kwin) : m_kwin(kwin) {}

    GuidePanel::Placer placer();

private:
    std::optional<QRectF> ownFrame() const;

    KWinConnection& m_kwin;
};
