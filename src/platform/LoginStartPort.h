// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/// Whether the desktop starts Cuewell when the user logs in. Off until the user asks; what the
/// desktop holds is the truth, so a change made in the desktop's own settings shows here.
class LoginStartPort
{
public:
    virtual ~LoginStartPort() = default;

    virtual bool startsAtLogin() const = 0;
    /// Asks for Cuewell to be started at login, or no longer. Returns whether the desktop now
    /// does as asked.
    virtual bool setStartsAtLogin(bool on) = 0;
};
