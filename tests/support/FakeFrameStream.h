// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/FrameStreamPort.h"

#include <QColor>

#include <atomic>
#include <functional>
#include <mutex>

/// A frame stream driven by the test from any thread. Like a real stream, it makes no callback
/// once stopped.
class FakeFrameStream : public FrameStreamPort
{
public:
    std::function<void(FakeFrameStream&)> whenStarted;
    std::atomic<int>* stops = nullptr;

    void deliver(Frame frame)
    {
        std::lock_guard lock(m_lock);
        if (!m_stopped)
            m_onFrame(std::move(frame));
    }

    void end(Failure failure)
    {
        std::lock_guard lock(m_lock);
        if (!m_stopped)
            m_onStopped(std::move(failure));
    }

    static QImage image(QColor colour)
    {
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(colour);
        return picture;
    }

    void start(std::function<void(Frame)> frame, std::function<void(Failure)> stopped) override
    {
        m_onFrame = std::move(frame);
        m_onStopped = std::move(stopped);
        if (whenStarted)
            whenStarted(*this);
    }
    void stop() override
    {
        std::lock_guard lock(m_lock);
        m_stopped = true;
        if (stops)
            ++*stops;
    }

private:
    std::recursive_mutex m_lock; // a callback may stop the stream
    bool m_stopped = false;
    std::function<void(Frame)> m_onFrame;
    std::function<void(Failure)> m_onStopped;
};
