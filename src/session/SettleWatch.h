// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AccessibilityPort.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

class WindowsPort;

/// Waits for an application to settle after the user did something to it: until neither its
/// windows' pixels nor what it says about its interface have changed for a quiet spell. Once it
/// says something appeared (the menu, popover or dialog the click opened), a shorter spell is
/// enough: what it still does then is filling in what it just showed, and each such change
/// starts the spell again. One wait at a time.
class SettleWatch : public QObject
{
    Q_OBJECT
public:
    struct Spells
    {
        /// Quiet this long settles an application that has shown nothing new...
        std::chrono::milliseconds quiet;
        /// ...this long one that has...
        std::chrono::milliseconds quietOnceAppeared;
        /// ...and this long after the start settles it whatever it does.
        std::chrono::milliseconds longest;
        /// What appeared this long before the wait began counts: an application answers a
        /// click as the button goes down, and the wait begins as it comes up.
        std::chrono::milliseconds appearedBefore{0};
    };

    SettleWatch(WindowsPort& windows, AccessibilityPort& accessibility, QObject* parent = nullptr);
    ~SettleWatch() override;

    /// Starts listening to `pid`: what it says is heard only while listened to, and an
    /// application needs a moment to hear that someone listens, so this comes before the wait
    /// (when the ring goes up). 0 stops listening.
    void listen(qint64 pid);

    /// Calls `settled` once `pid` has settled; a wait under way is ended without its call.
    void wait(qint64 pid, const Spells& spells, std::function<void()> settled);
    void cancel();
    bool isWaiting() const { return m_settled != nullptr; }

private:
    void drawn(qint64 pid);
    void heard(AXChange change);
    void finish();

    WindowsPort& m_windows;
    AccessibilityPort& m_accessibility;
    qint64 m_listened = 0;
    qint64 m_pid = 0;
    Spells m_spells{};
    std::function<void()> m_settled;
    QElapsedTimer m_sinceAppeared; // since the listened application last showed something new
    QTimer m_quiet;
    QTimer m_longest;
};
