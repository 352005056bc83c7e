// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>

#include <functional>

/// Clicks of the primary mouse button anywhere on screen, seen without taking them: every click
/// still reaches the application under the pointer.
class PointerPort
{
public:
    virtual ~PointerPort() = default;

    /// A click: where the button went down (global top-left-origin points) and the process
    /// whose window took it (0 when that cannot be told).
    struct Click
    {
        QPointF position;
        qint64 pid = 0;
    };

    /// Calls `onReleased` on the main thread each time the primary button comes up, with where
    /// it went down. False when clicks cannot be watched on this desktop.
    virtual bool watchPrimaryClicks(std::function<void(const Click&)> onReleased) = 0;
};
