// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotKeyPort.h"

class GnomeShellConnection;

/// Control+Alt+G on GNOME on Wayland: the shell extension takes the key while Cuewell runs and
/// tells Cuewell of each press.
class GnomeShellHotKey : public HotKeyPort
{
public:
    explicit GnomeShellHotKey(GnomeShellConnection& shell) : m_shell(shell) {}

    /// False when the extension is not running or another program holds the key.
    bool registerHotKey(std::function<void()> onPress) override;

private:
    GnomeShellConnection& m_shell;
};
