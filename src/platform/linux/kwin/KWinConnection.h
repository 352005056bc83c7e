// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/linux/CompositorConnection.h"
#include "platform/linux/kwin/KWinScript.h"
#include "platform/linux/kwin/KWinWindowIds.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QMutex>
#include <QPoint>

#include <optional>

class QDBusServiceWatcher;

/// Cuewell's side of its KWin script. The script reports KWin's windows to this object on the
/// session bus; only KWin's own connection is heard. Pixels come from KWin's screenshot
/// interface. Lives on the main thread; `windows()` and `capture()` may be called from any.
class KWinConnection : public CompositorConnection, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.cuewell.KWin1")
public:
    static inline const QString objectPath = QStringLiteral("/org/cuewell/KWin");
    static inline const QString kwinService = QStringLiteral("org.kde.KWin");

    /// `scriptName` is the script's name in KWin: Cuewell's own unless another program listens.
    explicit KWinConnection(QString scriptName = KWinScript::pluginName, QObject* parent = nullptr);
    /// Unloads the script.
    ~KWinConnection() override;

    /// Loads the script into the KWin running now, waiting at most `timeout` for each answer,
    /// and again into any KWin that starts later. False when no KWin took it.
    bool start(std::chrono::milliseconds timeout);

    bool isSubscribed() const override;
    /// Whether KWin lets Cuewell capture windows (as last asked).
    bool captureGranted() const;
    QList<CompositorWindow> windows() const override;
    QList<CompositorMonitor> monitors() const override { return {}; }
    Result<QImage> capture(quint64 windowId, std::chrono::milliseconds timeout) override;
    void watchApplication(qint64 pid) override;
    qint64 watchedPid() const override;

    /// Where Cuewell's panel is to go (its top-left, global logical pixels); absent leaves the
    /// place to the script. KWin's script asks as the panel or the highlight appears.
    void setPanelPlace(std::optional<QPoint> topLeft);

signals:
    void captureGrantedChanged();
    /// A window or popup of `pid` opened with the pointer at `pointer` (global logical
    /// pixels).
    void windowOpened(qint64 pid, QPointF pointer);
    void hotKeyPressed();

public slots:
    // What the script sends.
    Q_SCRIPTABLE void Windows(const QString& json);
    Q_SCRIPTABLE void Drawn(int pid);
    Q_SCRIPTABLE void Opened(int pid, int x, int y);
    Q_SCRIPTABLE void HotKeyPressed();
    /// Whether Cuewell wants its panel somewhere, and where.
    Q_SCRIPTABLE bool PanelPlace(int& x, int& y);

private:
    bool fromKWin();
    void kwinChanged(const QString& owner);
    void setSubscribed(bool subscribed);

    QString m_scriptName;
    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher;
    QString m_kwin; // KWin's unique name on the bus
    mutable QMutex m_lock;
    KWinWindowIds m_ids;
    QList<CompositorWindow> m_windows;
    bool m_subscribed = false;
    bool m_granted = false;
    std::atomic<qint64> m_watchedPid = 0;
    std::optional<QPoint> m_panelPlace;
};
