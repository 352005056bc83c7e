// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SettleWatch.h"

#include "platform/WindowsPort.h"

#include <QPointer>

#include <algorithm>
#include <utility>

SettleWatch::SettleWatch(WindowsPort& windows, AccessibilityPort& accessibility, QObject* parent)
    : QObject(parent), m_windows(windows), m_accessibility(accessibility)
{
    for (QTimer* timer : {&m_quiet, &m_longest}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &SettleWatch::finish);
    }
    QPointer<SettleWatch> self(this);
    m_windows.onDrawn([self](qint64 pid) {
        if (self)
            self->drawn(pid);
    });
}

SettleWatch::~SettleWatch()
{
    m_windows.onDrawn(nullptr);
    if (m_listened != 0)
        m_accessibility.watchChanges(0, nullptr);
}

void SettleWatch::listen(qint64 pid)
{
    if (pid == m_listened)
        return;
    m_listened = pid;
    m_sinceAppeared.invalidate();
    if (pid == 0) {
        m_accessibility.watchChanges(0, nullptr);
        return;
    }
    QPointer<SettleWatch> self(this);
    m_accessibility.watchChanges(pid, [self](AXChange change) {
        if (self)
            self->heard(change);
    });
}

void SettleWatch::wait(qint64 pid, const Spells& spells, std::function<void()> settled)
{
    cancel();
    listen(pid);
    m_pid = pid;
    m_spells = spells;
    m_settled = std::move(settled);
    const bool appeared =
        m_sinceAppeared.isValid() && m_sinceAppeared.elapsed() <= spells.appearedBefore.count();
    m_quiet.start(appeared ? std::min(spells.quiet, spells.quietOnceAppeared) : spells.quiet);
    m_longest.start(spells.longest);
}

void SettleWatch::cancel()
{
    m_quiet.stop();
    m_longest.stop();
    m_settled = nullptr;
    m_pid = 0;
}

void SettleWatch::drawn(qint64 pid)
{
    if (m_settled && pid == m_pid)
        m_quiet.start();
}

void SettleWatch::heard(AXChange change)
{
    if (change == AXChange::appeared)
        m_sinceAppeared.start();
    if (!m_settled)
        return;
    if (change == AXChange::appeared && m_quiet.intervalAsDuration() > m_spells.quietOnceAppeared)
        m_quiet.setInterval(m_spells.quietOnceAppeared);
    m_quiet.start();
}

void SettleWatch::finish()
{
    const std::function<void()> settled = std::exchange(m_settled, nullptr);
    m_quiet.stop();
    m_longest.stop();
    m_pid = 0;
    if (settled)
        settled();
}
