// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/linux/CompositorConnection.h"
#include "platform/linux/gnome/GnomeShellWindow.h"

#include <QDBusConnection>
#include <QDBusPendingReply>
#include <QMutex>
#include <QObject>
#include <QPointF>
#include <QRectF>

#include <chrono>

class GnomeShellInterface;
class QDBusPendingCall;
class QDBusServiceWatcher;

/// Cuewell's side of its GNOME Shell extension, on the session bus, through the proxy generated
/// from the extension's interface (extension/org.cuewell.Shell1.xml). On GNOME on Wayland only
/// the compositor knows where windows are, what they show and which keys are pressed; the
/// extension tells Cuewell, and draws the ring for it. The window list is kept here as the
/// extension pushes it, so questions about windows never wait on the bus. Lives on the main
/// thread; `windows()` and `capture()` may be called from any thread.
class GnomeShellConnection : public CompositorConnection
{
    Q_OBJECT
public:
    static inline const QString service = QStringLiteral("org.cuewell.Shell");
    static inline const QString path = QStringLiteral("/org/cuewell/Shell1");

    explicit GnomeShellConnection(QObject* parent = nullptr);
    ~GnomeShellConnection() override;

    /// Whether the desktop is GNOME on Wayland, as the session's environment says.
    static bool isGnomeWayland();

    /// Subscribes to the extension, waiting at most `timeout` for its answer (only at start-up:
    /// later, an extension that appears is subscribed to in the background). False when no
    /// extension of this API answers.
    bool subscribe(std::chrono::milliseconds timeout);
    bool isSubscribed() const override;
    bool hotKeyTaken() const;

    /// The windows on screen, front to back, as last pushed.
    QList<GnomeShellWindow> windows() const override;
    /// The monitors, the primary one first, as last pushed (with the subscription and on every
    /// change of monitor or work area).
    QList<GnomeShellMonitor> monitors() const override;

    /// The window's pixels, cut to its frame. Blocks for at most `timeout`.
    Result<QImage> capture(quint64 windowId, std::chrono::milliseconds timeout) override;

    /// Rings `ring` and shows the card at `card` (stage pixels); the extension draws both.
    void showHighlight(const QRectF& ring, const QRectF& card, const QString& title,
                       const QString& text);
    void hideHighlight();
    /// Moves this program's window called `title` to `topLeft`, keeps it above other windows,
    /// and gives it the keyboard when `activate`.
    void placeOwnWindow(const QString& title, QPoint topLeft, bool activate);
    /// Asks to be told when the application's windows redraw. The extension captures windows
    /// of the watched application only. Off the main thread it waits for the extension's answer
    /// (at most a few seconds), so a capture asked next finds the application watched.
    void watchApplication(qint64 pid) override;
    /// The pid last given to `watchApplication` in this subscription, or 0.
    qint64 watchedPid() const override;

signals:
    void hotKeyPressed();
    void primaryReleased(QPointF at, qint64 pid);

private:
    using Subscription = QDBusPendingReply<bool, QList<GnomeShellWindow>, QList<GnomeShellMonitor>>;

    void subscribeInBackground();
    void talkTo(const QString& owner);
    /// The unique bus name of the GNOME Shell found, or empty.
    QString owner() const;
    bool takeSubscription(const Subscription& reply);
    void setWindows(const QList<GnomeShellWindow>& windows);
    void setMonitors(const QList<GnomeShellMonitor>& monitors);
    void setSubscribed(bool subscribed);
    void logFailure(const QDBusPendingCall& call, const char* method);

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher;
    // Lives on the main thread and talks to `m_owner`; other threads make their own for their
    // calls. None until a GNOME Shell is found.
    GnomeShellInterface* m_shell = nullptr;
    QString m_owner;
    mutable QMutex m_lock;
    QList<GnomeShellWindow> m_windows;
    QList<GnomeShellMonitor> m_monitors;
    bool m_subscribed = false;
    bool m_hotKeyTaken = false;
    qint64 m_watchedPid = 0;
};
