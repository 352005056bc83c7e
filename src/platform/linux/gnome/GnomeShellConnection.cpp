// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/gnome/GnomeShellConnection.h"

#include "core/Texts.h"
#include "platform/linux/FileBytes.h"
#include "platform/linux/LinuxLog.h"
#include "platform/linux/gnome/GnomeShellInterface.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QFileInfo>
#include <QThread>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

// The extension runs inside GNOME Shell; any other owner of its bus name is an impostor.
const QString shellProgram = QStringLiteral("gnome-shell");

QDBusMessage busQuestion(const QString& method, const QString& name)
{
    QDBusMessage question = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), method);
    question << name;
    return question;
}

QDBusMessage ownerQuestion()
{
    return busQuestion(QStringLiteral("GetNameOwner"), GnomeShellConnection::service);
}

QDBusMessage pidQuestion(const QString& uniqueName)
{
    return busQuestion(QStringLiteral("GetConnectionUnixProcessID"), uniqueName);
}

// The unique name in `reply` (to `ownerQuestion`), or empty.
QString uniqueNameIn(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().toString();
}

// Whether the process the bus names in `reply` (to `pidQuestion`) runs GNOME Shell.
bool ownedByShell(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const uint pid = reply.arguments().constFirst().toUInt();
    QString program =
        QFileInfo(QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget()).fileName();
    program.remove(QStringLiteral(" (deleted)"));
    if (program != shellProgram)
        qCWarning(lcLinux) << "ignoring" << GnomeShellConnection::service << "owned by" << program;
    return program == shellProgram;
}

// A capture is a PNG of one window: far below this even on the largest displays.
constexpr qint64 maxCaptureBytes = 256LL * 1024 * 1024;
constexpr int stateChangeTimeoutMs = 2000;

// Everything written to `fd`, from its start.
QByteArray readAll(int fd)
{
    struct stat status = {};
    if (fstat(fd, &status) != 0 || status.st_size <= 0 || status.st_size > maxCaptureBytes)
        return {};
    return fileBytesFromStart(fd, qsizetype(status.st_size));
}

} // namespace

GnomeShellConnection::GnomeShellConnection(QObject* parent)
    : CompositorConnection(parent), m_bus(QDBusConnection::sessionBus()),
      m_watcher(
          new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this))
{
    registerGnomeShellWindowTypes();
    // The shell restarted, or the extension was switched off or on.
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                setSubscribed(false);
                talkTo(QString());
                if (!newOwner.isEmpty())
                    subscribeInBackground();
            });
}

// Everything goes to, and is heard from, the connection that was found to be GNOME Shell, by
// its unique name: whoever takes the extension's name later is neither asked nor heard. An
// empty name forgets the shell.
void GnomeShellConnection::talkTo(const QString& owner)
{
    delete std::exchange(m_shell, nullptr);
    {
        QMutexLocker lock(&m_lock);
        m_owner = owner;
    }
    if (owner.isEmpty())
        return;
    m_shell = new GnomeShellInterface(owner, path, m_bus, this);
    connect(m_shell, &GnomeShellInterface::WindowsChanged, this, &GnomeShellConnection::setWindows);
    connect(m_shell, &GnomeShellInterface::MonitorsChanged, this,
            &GnomeShellConnection::setMonitors);
    connect(m_shell, &GnomeShellInterface::ApplicationDrawn, this,
            [this](uint pid) { emit applicationDrawn(pid); });
    connect(m_shell, &GnomeShellInterface::HotKeyPressed, this,
            &GnomeShellConnection::hotKeyPressed);
    connect(m_shell, &GnomeShellInterface::PrimaryReleased, this,
            [this](double x, double y, uint pid) {
                qCDebug(lcLinux) << "primary button released at" << x << y << "over" << pid;
                emit primaryReleased(QPointF(x, y), pid);
            });
}

QString GnomeShellConnection::owner() const
{
    QMutexLocker lock(&m_lock);
    return m_owner;
}

GnomeShellConnection::~GnomeShellConnection() = default;

bool GnomeShellConnection::isGnomeWayland()
{
    const QString session = qEnvironmentVariable("XDG_SESSION_TYPE");
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':');
    return session == QLatin1String("wayland") && qEnvironmentVariableIsSet("WAYLAND_DISPLAY") &&
           desktops.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
}

bool GnomeShellConnection::subscribe(std::chrono::milliseconds timeout)
{
    const int ms = int(timeout.count());
    const QString owner = uniqueNameIn(m_bus.call(ownerQuestion(), QDBus::Block, ms));
    if (owner.isEmpty() || !ownedByShell(m_bus.call(pidQuestion(owner), QDBus::Block, ms)))
        return false;
    talkTo(owner);
    m_shell->setTimeout(ms);
    Subscription subscription = m_shell->Subscribe();
    m_shell->setTimeout(-1);
    subscription.waitForFinished();
    return takeSubscription(subscription);
}

void GnomeShellConnection::subscribeInBackground()
{
    auto* naming = new QDBusPendingCallWatcher(m_bus.asyncCall(ownerQuestion()), this);
    connect(naming, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* n) {
        n->deleteLater();
        const QString owner = uniqueNameIn(n->reply());
        if (owner.isEmpty())
            return;
        auto* checking = new QDBusPendingCallWatcher(m_bus.asyncCall(pidQuestion(owner)), this);
        connect(checking, &QDBusPendingCallWatcher::finished, this,
                [this, owner](QDBusPendingCallWatcher* c) {
                    c->deleteLater();
                    if (!ownedByShell(c->reply()))
                        return;
                    talkTo(owner);
                    auto* subscribing = new QDBusPendingCallWatcher(m_shell->Subscribe(), this);
                    connect(subscribing, &QDBusPendingCallWatcher::finished, this,
                            [this](QDBusPendingCallWatcher* s) {
                                s->deleteLater();
                                takeSubscription(*s);
                            });
                });
    });
}

bool GnomeShellConnection::takeSubscription(const Subscription& reply)
{
    if (!reply.isValid()) {
        // An extension of an older Cuewell answers in its own form until the next login.
        if (reply.isError())
            qCInfo(lcLinux) << "GNOME Shell extension:" << reply.error().message();
        setSubscribed(false);
        return false;
    }
    {
        QMutexLocker lock(&m_lock);
        m_hotKeyTaken = reply.argumentAt<0>();
    }
    setMonitors(reply.argumentAt<2>());
    setWindows(reply.argumentAt<1>());
    setSubscribed(true);
    return true;
}

void GnomeShellConnection::setSubscribed(bool subscribed)
{
    {
        QMutexLocker lock(&m_lock);
        if (m_subscribed == subscribed)
            return;
        m_subscribed = subscribed;
        m_watchedPid = 0; // the extension forgets with the subscription
    }
    emit subscribedChanged();
}

bool GnomeShellConnection::isSubscribed() const
{
    QMutexLocker lock(&m_lock);
    return m_subscribed;
}

bool GnomeShellConnection::hotKeyTaken() const
{
    QMutexLocker lock(&m_lock);
    return m_subscribed && m_hotKeyTaken;
}

QList<GnomeShellWindow> GnomeShellConnection::windows() const
{
    QMutexLocker lock(&m_lock);
    return m_windows;
}

void GnomeShellConnection::setWindows(const QList<GnomeShellWindow>& windows)
{
    {
        QMutexLocker lock(&m_lock);
        m_windows = windows;
    }
    emit windowsChanged();
}

QList<GnomeShellMonitor> GnomeShellConnection::monitors() const
{
    QMutexLocker lock(&m_lock);
    return m_monitors;
}

void GnomeShellConnection::setMonitors(const QList<GnomeShellMonitor>& monitors)
{
    QMutexLocker lock(&m_lock);
    m_monitors = monitors;
}

Result<QImage> GnomeShellConnection::capture(quint64 windowId, std::chrono::milliseconds timeout)
{
    const int fd = memfd_create("cuewell-capture", MFD_CLOEXEC);
    if (fd < 0)
        return Failure{Texts::captureFailed(Texts::shellCaptureFailed())};
    // Any thread may capture: a proxy of its own asks, and the reply is waited for here. The
    // descriptor is duplicated into the message; the original is ours to read and close.
    const QString shellName = owner();
    if (shellName.isEmpty()) {
        ::close(fd);
        return Failure{Texts::captureFailed(Texts::shellCaptureFailed())};
    }
    GnomeShellInterface shell(shellName, path, m_bus);
    shell.setTimeout(int(timeout.count()));
    QDBusPendingReply<QRect, QRect> reply =
        shell.CaptureWindow(windowId, QDBusUnixFileDescriptor(fd));
    reply.waitForFinished();
    const QByteArray png = reply.isValid() ? readAll(fd) : QByteArray();
    ::close(fd);
    if (!reply.isValid()) {
        qCInfo(lcLinux) << "window capture refused:" << reply.error().message();
        return Failure{Texts::captureFailed(Texts::shellCaptureFailed())};
    }
    const QImage cropped = CompositorGeometry::cropToFrame(
        QImage::fromData(png, "PNG"), reply.argumentAt<0>(), reply.argumentAt<1>());
    if (cropped.isNull())
        return Failure{Texts::captureFailed(Texts::shellCaptureFailed())};
    return cropped;
}

void GnomeShellConnection::showHighlight(const QRectF& ring, const QRectF& card,
                                         const QString& title, const QString& text)
{
    if (m_shell)
        logFailure(m_shell->ShowHighlight(ring, card, title, text), "ShowHighlight");
}

void GnomeShellConnection::hideHighlight()
{
    if (m_shell)
        logFailure(m_shell->HideHighlight(), "HideHighlight");
}

void GnomeShellConnection::placeOwnWindow(const QString& title, QPoint topLeft, bool activate)
{
    if (m_shell)
        logFailure(m_shell->PlaceOwnWindow(title, topLeft.x(), topLeft.y(), activate),
                   "PlaceOwnWindow");
}

void GnomeShellConnection::watchApplication(qint64 pid)
{
    pid = qMax<qint64>(pid, 0);
    {
        QMutexLocker lock(&m_lock);
        m_watchedPid = pid;
    }
    const QString shellName = owner();
    if (shellName.isEmpty())
        return; // asked again once subscribed
    if (QThread::currentThread() == thread()) {
        if (m_shell)
            logFailure(m_shell->WatchApplication(uint(pid)), "WatchApplication");
        return;
    }
    // No watcher off the main thread: it would belong to a thread that may never run events.
    GnomeShellInterface shell(shellName, path, m_bus);
    shell.setTimeout(stateChangeTimeoutMs);
    QDBusPendingReply<> reply = shell.WatchApplication(uint(pid));
    reply.waitForFinished();
    if (reply.isError()) {
        qCInfo(lcLinux) << "GNOME Shell extension: WatchApplication" << reply.error().message();
        QMutexLocker lock(&m_lock);
        if (m_watchedPid == pid)
            m_watchedPid = 0; // asked again before the next capture
    }
}

qint64 GnomeShellConnection::watchedPid() const
{
    QMutexLocker lock(&m_lock);
    return m_watchedPid;
}

// Changes of what the shell shows never wait for an answer; a failure is only logged.
void GnomeShellConnection::logFailure(const QDBusPendingCall& call, const char* method)
{
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [method](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (w->isError())
                    qCInfo(lcLinux) << "GNOME Shell extension:" << method << w->error().message();
            });
}
