// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PointerPort.h"

class KWinConnection;

/// Clicks on KDE Plasma on Wayland, where KWin tells no program of them: Cuewell's KWin script
/// reports each window or popup that opens, with where the pointer is, and that is taken for
/// the click that opened it. A click that opens nothing (a button that changes a value) is not
/// seen; its step is asked for with Next step.
class KWinPointer : public PointerPort
{
public:
    explicit KWinPointer(KWinConnection& kwin) : m_kwin(kwin) {}

    bool watchPrimaryClicks(std::function<void(const Click&)> onReleased) override;

private:
    KWinConnection& m_kwin;
};
