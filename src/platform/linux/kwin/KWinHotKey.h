// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotKeyPort.h"

class KWinConnection;

/// Control+Alt+G on KDE Plasma on Wayland: Cuewell's KWin script holds the shortcut (it is
/// listed, and can be changed, among KWin's shortcuts in System Settings), gives Cuewell's
/// panel the keyboard and tells Cuewell of each press.
class KWinHotKey : public HotKeyPort
{
public:
    explicit KWinHotKey(KWinConnection& kwin) : m_kwin(kwin) {}

    /// False when KWin runs no script of Cuewell's.
    bool registerHotKey(std::function<void()> onPress) override;

private:
    KWinConnection& m_kwin;
};
