// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model_client/ModelServerPort.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

class QLabel;

/// How long the model server has been working on the request that is out: whole seconds in a
/// label beside the status line (which keeps its text), with the longest a request may take
/// beside them once half of it has gone, and after a while a hint that the model may still be
/// loading. Both labels are hidden while nothing is awaited.
class WaitingIndicator : public QObject
{
    Q_OBJECT
public:
    /// Milliseconds on a clock that never goes back.
    using Clock = std::function<qint64()>;

    /// A first load commonly takes longer than this; an answer rarely does.
    static constexpr qint64 hintAfterMs = 10'000;
    /// The longest a request may take; the model server's client ends it then.
    static constexpr qint64 limitMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(ModelServerPort::longestChat).count();

    WaitingIndicator(QLabel* elapsed, QLabel* hint, QObject* parent = nullptr);

    void setWaiting(bool waiting);
    /// Replaces the steady clock (tests step through time with their own).
    void setClock(Clock clock) { m_clock = std::move(clock); }
    /// Shows the time waited so far; called on every tick.
    void update();

private:
    QLabel* m_elapsed;
    QLabel* m_hint;
    Clock m_clock;
    qint64 m_startedMs = 0;
    bool m_waiting = false;
    QTimer m_tick;
};
