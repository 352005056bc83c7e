#pragma once

#include "platform/PointerPort.h"

/// Presses made by the test.
class FakePointer : public PointerPort
{
public:
    bool watchPrimaryPresses(std::function<void(QPointF)> onPress) override
    {
        m_onPress = std::move(onPress);
        return true;
    }

    void press(QPointF point)
    {
        if (m_onPress)
            m_onPress(point);
    }

private:
    std::function<void(QPointF)> m_onPress;
};
