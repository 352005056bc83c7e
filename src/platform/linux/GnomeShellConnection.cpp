// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/GnomeShellConnection.h"

#include "core/Texts.h"
#include "platform/linux/LinuxLog.h"

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

namespace {

// The extension runs inside GNOME Shell; any other owner of its bus name is an impostor.
const QString shellProgram = QStringLiteral("gnome-shell");

QDBusMessage ownerPidQuestion()
{
    QDBusMessage question = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"));
    question << GnomeShellConnection::service;
    return question;
}

// Whether the process the bus names in `reply` (to `ownerPidQuestion`) runs GNOME Shell.
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

QList<GnomeShellWindow> windowsIn(const QVariant& value)
{
    QList<GnomeShellWindow> windows;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> windows;
    return windows;
}

// Everything written to `fd`, from its start.
QByteArray readAll(int fd)
{
    struct stat status = {};
    if (fstat(fd, &status) != 0 || status.st_size <= 0 || status.st_size > maxCaptureBytes)
        return {};
    QByteArray bytes(qsizetype(status.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pread(fd, bytes.data() + done, size_t(bytes.size() - done), done);
        if (n <= 0)
            return {};
        done += n;
    }
    return bytes;
}

} // namespace

GnomeShellConnection::GnomeShellConnection(QObject* parent)
    : QObject(parent), m_bus(QDBusConnection::sessionBus()),
      m_watcher(
          new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this))
{
    qDBusRegisterMetaType<GnomeShellWindow>();
    qDBusRegisterMetaType<QList<GnomeShellWindow>>();
    // Signals come only to the subscriber, from whichever process owns the name.
    m_bus.connect(service, path, interface, QStringLiteral("WindowsChanged"), this,
                  SLOT(onWindowsChanged(QDBusMessage)));
    m_bus.connect(service, path, interface, QStringLiteral("ApplicationDrawn"), this,
                  SLOT(onApplicationDrawn(QDBusMessage)));
    m_bus.connect(service, path, interface, QStringLiteral("HotKeyPressed"), this,
                  SLOT(onHotKeyPressed()));
    m_bus.connect(service, path, interface, QStringLiteral("PrimaryReleased"), this,
                  SLOT(onPrimaryReleased(QDBusMessage)));
    // The shell restarted, or the extension was switched off or on.
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                setSubscribed(false);
                if (!newOwner.isEmpty())
                    subscribeInBackground();
            });
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
    if (!ownedByShell(m_bus.call(ownerPidQuestion(), QDBus::Block, int(timeout.count()))))
        return false;
    QDBusMessage message =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Subscribe"));
    return takeSubscription(m_bus.call(message, QDBus::Block, int(timeout.count())));
}

void GnomeShellConnection::subscribeInBackground()
{
    auto* owner = new QDBusPendingCallWatcher(m_bus.asyncCall(ownerPidQuestion()), this);
    connect(owner, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (!ownedByShell(w->reply()))
            return;
        QDBusMessage message =
            QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Subscribe"));
        auto* subscribing = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
        connect(subscribing, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* s) {
                    s->deleteLater();
                    takeSubscription(s->reply());
                });
    });
}

bool GnomeShellConnection::takeSubscription(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
        if (reply.type() == QDBusMessage::ErrorMessage)
            qCInfo(lcLinux) << "GNOME Shell extension:" << reply.errorMessage();
        setSubscribed(false);
        return false;
    }
    {
        QMutexLocker lock(&m_lock);
        m_hotKeyTaken = reply.arguments().at(0).toBool();
    }
    setWindows(windowsIn(reply.arguments().at(1)));
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

void GnomeShellConnection::onWindowsChanged(const QDBusMessage& message)
{
    if (!message.arguments().isEmpty())
        setWindows(windowsIn(message.arguments().constFirst()));
}

void GnomeShellConnection::onApplicationDrawn(const QDBusMessage& message)
{
    if (!message.arguments().isEmpty())
        emit applicationDrawn(message.arguments().constFirst().toUInt());
}

void GnomeShellConnection::onHotKeyPressed()
{
    emit hotKeyPressed();
}

void GnomeShellConnection::onPrimaryReleased(const QDBusMessage& message)
{
    const QVariantList a = message.arguments();
    qCDebug(lcLinux) << "primary button released:" << a;
    if (a.size() == 3)
        emit primaryReleased(QPointF(a[0].toDouble(), a[1].toDouble()), a[2].toUInt());
}

Result<QImage> GnomeShellConnection::capture(quint64 windowId, std::chrono::milliseconds timeout)
{
    const int fd = memfd_create("cuewell-capture", MFD_CLOEXEC);
    if (fd < 0)
        return Failure{Texts::captureFailed(Texts::shellCaptureFailed)};
    // The descriptor is duplicated into the message; the original is ours to read and close.
    QDBusMessage message =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("CaptureWindow"));
    message << QVariant::fromValue(windowId) << QVariant::fromValue(QDBusUnixFileDescriptor(fd));
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, int(timeout.count()));
    const QByteArray png = reply.type() == QDBusMessage::ReplyMessage ? readAll(fd) : QByteArray();
    ::close(fd);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
        qCInfo(lcLinux) << "window capture refused:" << reply.errorMessage();
        return Failure{Texts::captureFailed(Texts::shellCaptureFailed)};
    }
    const QRect frame = qdbus_cast<QRect>(reply.arguments().at(0));
    const QRect buffer = qdbus_cast<QRect>(reply.arguments().at(1));
    const QImage cropped =
        GnomeShellGeometry::cropToFrame(QImage::fromData(png, "PNG"), frame, buffer);
    if (cropped.isNull())
        return Failure{Texts::captureFailed(Texts::shellCaptureFailed)};
    return cropped;
}

void GnomeShellConnection::showHighlight(const QRectF& ring, const QRectF& card,
                                         const QString& title, const QString& text)
{
    const auto box = [](const QRectF& r) {
        QDBusArgument argument;
        argument.beginStructure();
        argument << r.x() << r.y() << r.width() << r.height();
        argument.endStructure();
        return QVariant::fromValue(argument);
    };
    send(QStringLiteral("ShowHighlight"), {box(ring), box(card), title, text});
}

void GnomeShellConnection::hideHighlight()
{
    send(QStringLiteral("HideHighlight"), {});
}

void GnomeShellConnection::placeOwnWindow(const QString& title, QPoint topLeft, bool activate)
{
    send(QStringLiteral("PlaceOwnWindow"), {title, topLeft.x(), topLeft.y(), activate});
}

void GnomeShellConnection::watchApplication(qint64 pid)
{
    pid = qMax<qint64>(pid, 0);
    {
        QMutexLocker lock(&m_lock);
        m_watchedPid = pid;
    }
    const QVariantList arguments{QVariant::fromValue(quint32(pid))};
    if (QThread::currentThread() == thread()) {
        send(QStringLiteral("WatchApplication"), arguments);
        return;
    }
    // No watcher off the main thread: it would belong to a thread that may never run events.
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface,
                                                          QStringLiteral("WatchApplication"));
    message.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, stateChangeTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qCInfo(lcLinux) << "GNOME Shell extension: WatchApplication" << reply.errorMessage();
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
void GnomeShellConnection::send(const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    auto* watcher =
        new QDBusPendingCallWatcher(m_bus.asyncCall(message, stateChangeTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [method](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                if (w->isError())
                    qCInfo(lcLinux) << "GNOME Shell extension:" << method << w->error().message();
            });
}
