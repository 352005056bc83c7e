// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ClickFollower.h"

#include "platform/PointerPort.h"
#include "session/SessionLog.h"

#include <QPointer>
#include <QSettings>

namespace {
const QString followClicksKey = QStringLiteral("followClicks");
} // namespace

ClickFollower::ClickFollower(PointerPort& pointer, WindowsPort& windows,
                             AccessibilityPort& accessibility, QSettings& settings, QObject* parent)
    : QObject(parent), m_settle(windows, accessibility), m_settings(settings),
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
    listenToTheRinged();
    emit enabledChanged();
}

void ClickFollower::ringShown(const QRectF& frame, qint64 pid, bool followable)
{
    m_ring = frame.adjusted(-ringMargin, -ringMargin, ringMargin, ringMargin);
    m_pid = pid;
    m_followable = followable;
    listenToTheRinged();
}

void ClickFollower::ringHidden()
{
    m_ring.reset();
    listenToTheRinged();
}

// The application whose click may be followed is listened to from the moment its ring is up,
// so that it has heard someone listens by the time the click comes; a wait under way goes on
// listening to its own.
void ClickFollower::listenToTheRinged()
{
    if (m_settle.isWaiting())
        return;
    m_settle.listen(m_enabled && m_ring && m_followable ? m_pid : 0);
}

// A click another window took (Cuewell's own panel, another application) is not the user's
// click on the ringed control; one whose window cannot be told is given the benefit.
void ClickFollower::clicked(const PointerPort::Click& click)
{
    if (!m_enabled || m_settle.isWaiting() || !m_ring || !m_followable ||
        !m_ring->contains(click.position) || (click.pid != 0 && click.pid != m_pid))
        return;
    QPointer<ClickFollower> self(this);
    m_settle.wait(m_pid, settleSpells, [self] {
        if (!self)
            return;
        self->listenToTheRinged();
        emit self->followed();
    });
    emit clickedInRing();
}
