// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PointerPort.h"

class GnomeShellConnection;

/// Primary clicks on GNOME on Wayland, as the shell extension sees them on their way to the
/// application.
class GnomeShellPointer : public PointerPort
{
public:
    explicit GnomeShellPointer(GnomeShellConnection& shell) : m_shell(shell) {}

    bool watchPrimaryClicks(std::function<void(const Click&)> onReleased) override;

private:
    GnomeShellConnection& m_shell;
};
