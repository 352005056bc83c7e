#pragma once

#include <QPointF>

#include <functional>

/// Presses of the primary mouse button anywhere on screen, seen without taking them: every
/// press still reaches the application under the pointer.
class PointerPort
{
public:
    virtual ~PointerPort() = default;

    /// Calls `onPress` on the main thread with the position of each press of the primary button
    /// (global top-left-origin points). False when presses cannot be watched on this desktop.
    virtual bool watchPrimaryPresses(std::function<void(QPointF)> onPress) = 0;
};
