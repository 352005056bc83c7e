// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class HotKeyPort;

/// The global Control+Alt+G. Registering can fail (another program holds the key); that is
/// logged, and the tray menu and launcher still open the panel.
class HotKey
{
public:
    explicit HotKey(HotKeyPort& port) : m_port(port) {}

    /// Calls `onPress` on the main thread at each press. Returns whether the key was taken.
    bool registerHotKey(std::function<void()> onPress);

private:
    HotKeyPort& m_port;
};
