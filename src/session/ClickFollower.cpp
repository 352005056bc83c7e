// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ClickFollower.h"

#include "platform/PointerPort.h"
#include "platform/WindowsPort.h"
#include "session/SessionLog.h"

#include <QPointer>
#include <QSettings>

namespace {
const QString followClicksKey = QStringLiteral("followClicks");
} // namespace

ClickFollower::ClickFollower(PointerPort& pointer, WindowsPort& windows, QSettings& settings,
                             QObject* parent)
    : QObject(parent), m_windows(windows), m_settings(settings),
      m_enabled(settings.value(followClicksKey, true).toBool())
{
    QPointer<ClickFollower> self(this);
    const bool watching = pointer.watchPrimaryClicks([self](const PointerPort::Click& click) {
        if (self)
            self->clicked(click);
    });
    if (!watching)
        qCDebug(lcSession) << "clicks cannot be watched on this desktop";
}

void ClickFollower::setEnabled(bool enabled)
{
    m_enabled = enabled;
    m_settings.setValue(followClicksKey, enabled);
    emit enabledChanged();
}

void ClickFollower::ringShown(const QRectF& frame, qint64 pid, bool followable)
{
    m_ring = frame.adjusted(-ringMargin, -ringMargin, ringMargin, ringMargin);
    m_pid = pid;
    m_followable = followable;
}

void ClickFollower::ringHidden()
{
    m_ring.reset();
}

// A click another window took (Cuewell's own panel, another application) is not the user's
// click on the ringed control; one whose window cannot be told is given the benefit.
void ClickFollower::clicked(const PointerPort::Click& click)
{
    if (!m_enabled || m_waiting || !m_ring || !m_followable || !m_ring->contains(click.position) ||
        (click.pid != 0 && click.pid != m_pid))
        return;
    m_waiting = true;
    emit clickedInRing();
    QPointer<ClickFollower> self(this);
    m_windows.whenSettled(m_pid, quietSpell, longestWait, [self] {
        if (!self)
            return;
        self->m_waiting = false;
        emit self->followed();
    });
}
