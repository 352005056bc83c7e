// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

/// Lets whoever started a piece of work end it early: the work listens for `cancelled` and
/// gives up what it waits for (a request is aborted, its connection closed). Lives on the main
/// thread; cancelling twice is cancelling once.
class Cancellation : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    bool isCancelled() const { return m_cancelled; }

    void cancel()
    {
        if (m_cancelled)
            return;
        m_cancelled = true;
        emit cancelled();
    }

signals:
    void cancelled();

private:
    bool m_cancelled = false;
};
