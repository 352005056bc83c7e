// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/PointerPort.h"
#include "session/SettleWatch.h"

#include <QObject>
#include <QRectF>

#include <optional>

class QSettings;

/// Lets the next step follow the user's click: a click of the primary button inside the ring,
/// taken by the application the ring is on, is a request for the next step once the
/// application has settled after it. Clicks are watched, never taken, so they still reach the
/// application. A click into a text field is not followed (the user is about to type there).
/// Can be switched off; the choice is remembered.
class ClickFollower : public QObject
{
    Q_OBJECT
public:
    /// The application has settled when its windows and interface have been quiet this long
    /// after the button came up; this long once it has shown something new since the button
    /// went down (two frames at 60 Hz and a little); or this long after, whatever it does.
    static constexpr SettleWatch::Spells settleSpells{
        std::chrono::milliseconds(150), std::chrono::milliseconds(50),
        std::chrono::milliseconds(1000), std::chrono::milliseconds(300)};
    /// A press this close outside the ringed control still counts (the ring is drawn there).
    static constexpr double ringMargin = 6;

    ClickFollower(PointerPort& pointer, WindowsPort& windows, AccessibilityPort& accessibility,
                  QSettings& settings, QObject* parent = nullptr);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    /// The ring now shows `frame`, a control of the application `pid`; a click on it is
    /// followed only when `followable`.
    void ringShown(const QRectF& frame, qint64 pid, bool followable);
    void ringHidden();

signals:
    void enabledChanged();
    /// The user clicked inside the ring; `followed` comes once the application has settled.
    void clickedInRing();
    /// The user clicked inside the ring and the application has settled since.
    void followed();

private:
    void clicked(const PointerPort::Click& click);

    void listenToTheRinged();

    SettleWatch m_settle;
    QSettings& m_settings;
    bool m_enabled = true;
    std::optional<QRectF> m_ring;
    qint64 m_pid = 0;
    bool m_followable = false;
};
