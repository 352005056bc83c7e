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
    const bool watching = pointer.watchPrimaryPresses([self](QPointF point) {
        if (self)
            self->pressed(point);
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

void ClickFollower::ringShown(const QRectF& frame, qint64 pid)
{
    m_ring = frame.adjusted(-ringMargin, -ringMargin, ringMargin, ringMargin);
    m_pid = pid;
}

void ClickFollower::ringHidden()
{
    m_ring.reset();
}

void ClickFollower::pressed(QPointF point)
{
    if (!m_enabled || m_waiting || !m_ring || !m_ring->contains(point))
        return;
    m_waiting = true;
    QPointer<ClickFollower> self(this);
    m_windows.whenSettled(m_pid, quietSpell, longestWait, [self] {
        if (!self)
            return;
        self->m_waiting = false;
        emit self->followed();
    });
}
