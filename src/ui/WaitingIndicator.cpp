// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WaitingIndicator.h"

#include "core/Texts.h"

#include <QElapsedTimer>
#include <QLabel>

namespace {

// Often enough that the seconds never lag by a visible amount.
constexpr int tickMs = 250;

qint64 steadyMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

} // namespace

WaitingIndicator::WaitingIndicator(QLabel* elapsed, QLabel* hint, QObject* parent)
    : QObject(parent), m_elapsed(elapsed), m_hint(hint), m_clock(&steadyMs)
{
    m_elapsed->setAccessibleName(Texts::waitingName());
    m_hint->setText(Texts::modelMayBeLoading());
    m_elapsed->hide();
    m_hint->hide();
    m_tick.setInterval(tickMs);
    connect(&m_tick, &QTimer::timeout, this, &WaitingIndicator::update);
}

void WaitingIndicator::setWaiting(bool waiting)
{
    if (waiting == m_waiting)
        return;
    m_waiting = waiting;
    if (waiting) {
        m_startedMs = m_clock();
        m_tick.start();
        update();
    } else {
        m_tick.stop();
    }
    m_elapsed->setVisible(waiting);
    m_hint->setVisible(false);
}

void WaitingIndicator::update()
{
    if (!m_waiting)
        return;
    const qint64 waitedMs = m_clock() - m_startedMs;
    const QString text = waitedMs * 2 >= limitMs
                             ? Texts::waitingFor(waitedMs / 1000, limitMs / 1000)
                             : Texts::waitingFor(waitedMs / 1000);
    if (m_elapsed->text() != text)
        m_elapsed->setText(text);
    m_hint->setVisible(waitedMs >= hintAfterMs);
}
