// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PointerPort.h"

/// Clicks made by the test.
class FakePointer : public PointerPort
{
public:
    bool watchPrimaryClicks(std::function<void(const Click&)> onReleased) override
    {
        m_onReleased = std::move(onReleased);
        return true;
    }

    /// A click at `point` that the window of `pid` took.
    void click(QPointF point, qint64 pid)
    {
        if (m_onReleased)
            m_onReleased({point, pid});
    }

private:
    std::function<void(const Click&)> m_onReleased;
};
