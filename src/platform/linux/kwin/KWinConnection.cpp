// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/kwin/KWinConnection.h"

#include "core/Texts.h"
#include "platform/linux/LinuxLog.h"
#include "platform/linux/kwin/KWinReport.h"
#include "platform/linux/kwin/KWinScreenShot.h"
#include "platform/linux/kwin/KWinScript.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

namespace {

// KWin answers its scripting interface within milliseconds; as Cuewell quits it waits no
// longer than a person would notice.
constexpr std::chrono::milliseconds unloadAnswer{500};
constexpr std::chrono::milliseconds reloadAnswer{1500};

} // namespace

KWinConnection::KWinConnection(QString scriptName, QObject* parent)
    : CompositorConnection(parent), m_scriptName(std::move(scriptName)),
      m_bus(QDBusConnection::sessionBus()),
      m_watcher(new QDBusServiceWatcher(kwinService, m_bus,
                                        QDBusServiceWatcher::WatchForOwnerChange, this))
{
    m_bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) { kwinChanged(owner); });
}

KWinConnection::~KWinConnection()
{
    m_bus.unregisterObject(objectPath);
    if (!m_kwin.isEmpty())
        KWinScript::unload(m_bus, m_scriptName, unloadAnswer);
}

bool KWinConnection::start(std::chrono::milliseconds timeout)
{
    m_kwin = m_bus.interface()->serviceOwner(kwinService).value();
    if (m_kwin.isEmpty() || !KWinScript::load(m_bus, m_bus.baseService(), m_scriptName, timeout))
        return false;
    // The script reports as it starts: the first list follows on the event loop.
    setSubscribed(true);
    const bool granted = KWinScreenShot::isGranted(timeout);
    {
        const QMutexLocker locked(&m_lock);
        m_granted = granted;
    }
    qCInfo(lcLinux) << "KWin" << (granted ? "lets" : "does not let") << "Cuewell capture windows";
    emit captureGrantedChanged();
    return true;
}

// A KWin that restarts (or replaces itself) forgets the script: it is loaded again.
void KWinConnection::kwinChanged(const QString& owner)
{
    m_kwin = owner;
    setSubscribed(false);
    if (!owner.isEmpty())
        start(reloadAnswer);
}

bool KWinConnection::fromKWin()
{
    if (calledFromDBus() && !m_kwin.isEmpty() && message().service() == m_kwin)
        return true;
    sendErrorReply(QDBusError::AccessDenied, QStringLiteral("Only KWin reports to Cuewell."));
    return false;
}

void KWinConnection::Windows(const QString& json)
{
    if (!fromKWin())
        return;
    {
        const QMutexLocker locked(&m_lock);
        std::optional<QList<CompositorWindow>> windows =
            KWinReport::windowsOf(json.toUtf8(), m_ids);
        if (!windows) {
            qCInfo(lcLinux) << "KWin's script sent a window list Cuewell cannot read";
            return;
        }
        m_windows = std::move(*windows);
    }
    setSubscribed(true);
    emit windowsChanged();
}

void KWinConnection::Drawn(int pid)
{
    if (fromKWin() && pid > 0 && pid == m_watchedPid)
        emit applicationDrawn(pid);
}

void KWinConnection::Opened(int pid, int x, int y)
{
    if (fromKWin() && pid > 0)
        emit windowOpened(pid, QPointF(x, y));
}

void KWinConnection::HotKeyPressed()
{
    if (fromKWin())
        emit hotKeyPressed();
}

bool KWinConnection::PanelPlace(int& x, int& y)
{
    if (!fromKWin() || !m_panelPlace)
        return false;
    x = m_panelPlace->x();
    y = m_panelPlace->y();
    return true;
}

void KWinConnection::setPanelPlace(std::optional<QPoint> topLeft)
{
    m_panelPlace = topLeft;
}

void KWinConnection::setSubscribed(bool subscribed)
{
    {
        const QMutexLocker locked(&m_lock);
        if (m_subscribed == subscribed)
            return;
        m_subscribed = subscribed;
    }
    emit subscribedChanged();
}

bool KWinConnection::isSubscribed() const
{
    const QMutexLocker locked(&m_lock);
    return m_subscribed;
}

bool KWinConnection::captureGranted() const
{
    const QMutexLocker locked(&m_lock);
    return m_granted;
}

QList<CompositorWindow> KWinConnection::windows() const
{
    const QMutexLocker locked(&m_lock);
    return m_windows;
}

Result<QImage> KWinConnection::capture(quint64 windowId, std::chrono::milliseconds timeout)
{
    std::optional<QString> handle;
    {
        const QMutexLocker locked(&m_lock);
        handle = m_ids.handleOf(windowId);
    }
    if (!handle)
        return Failure{Texts::captureFailed(Texts::kwinCaptureFailed())};
    return KWinScreenShot::captureWindow(*handle, timeout);
}

void KWinConnection::watchApplication(qint64 pid)
{
    m_watchedPid = pid;
}

qint64 KWinConnection::watchedPid() const
{
    return m_watchedPid;
}
