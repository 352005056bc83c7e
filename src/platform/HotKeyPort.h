// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

/// The global hot key Control+Alt+G.
class HotKeyPort
{
public:
    virtual ~HotKeyPort() = default;

    /// Registers `onPress`, called on the main thread at each press. False when the key could
    /// not be taken (another program holds it).
    virtual bool registerHotKey(std::function<void()> onPress) = 0;
};
