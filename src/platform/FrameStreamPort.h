// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Failure.h"

#include <QImage>

#include <functional>

/// A stream of a window's frames, as a compositor produces them. Callbacks may come on any
/// thread; after `stop()` no more are made.
class FrameStreamPort
{
public:
    struct Frame
    {
        QImage image;
        /// A frame the window has finished drawing (not a partial or stale one).
        bool complete = false;
    };

    virtual ~FrameStreamPort() = default;

    /// Starts delivering frames; `onStopped` reports a stream that ended on its own (the window
    /// closed, the display went away).
    virtual void start(std::function<void(Frame)> onFrame,
                       std::function<void(Failure)> onStopped) = 0;
    virtual void stop() = 0;
};
